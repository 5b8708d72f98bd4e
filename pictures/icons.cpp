#include "pictures/icons.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>

namespace {

constexpr int ICON_SIZE = 32;

// The bear sits facing left with its right arm held out; light belly and
// muzzle, shaded back, pink inner ears, pads and bow, and a ribbon at the neck.
constexpr std::array<ArtColour, 11> BEAR_LEGEND = {{
    {'X', 0x000000}, // eye and nose; also the colour behind every transparent pixel
    {'o', 0x444444}, // outline
    {'t', 0xFFCC66}, // fur
    {'s', 0xCC9966}, // fur in shade
    {'d', 0x996633}, // deepest shade, under the bear
    {'l', 0xFFE6A8}, // muzzle and belly
    {'w', 0xFFFFFF}, // glint in the eye
    {'p', 0xFF9999}, // foot pad
    {'r', 0xFF6666}, // paw pads and the centre of the bow
    {'n', 0xFF99CC}, // inner ears and the bow's loops
    {'b', 0x663333}, // ribbon
}};

// clang-format off
constexpr std::array<std::string_view, ICON_SIZE> BEAR_ART = {
    "................................",
    "......oooo.......oooo...........",
    ".....otttto.....ottsso..........",
    "....ottnnttoooooottnnso.........",
    "....otnnnttttttttttnnso.........",
    "....otnnttttttttttttsso.........",
    ".....otttttttttttttttso.........",
    ".....ottXXtttttttttttsso........",
    ".....otwXXtttttttttttsso........",
    ".....ottttttttttttttttso........",
    "..ooolllttttttttttttttso........",
    ".oXXlllllttttttttttttsso........",
    "oXXllllllltttttttttttso.........",
    ".olllllllttttttttttttso.........",
    "..ooolllottttttttttssoo.........",
    "....onoooonnbbbbbbbbbbbooo......",
    "...onnnnrnnnbbbbbbbbbbttsoo.....",
    ".ooonnoonnooooootttttbtttsso....",
    "otttttoooottttttotttttttttsso...",
    "otpptttttttttttttottttttttsso...",
    "oprrptttttttttttttollltttttso...",
    "otpptttttttttttttolllltttttso...",
    ".ooossssssssssssoolllltttttso...",
    "..oooo..oooooooolllllttttttso...",
    ".opppposttttttttollllttttttso...",
    ".oprrpootttttttttollltttttsso...",
    ".oprrrpottttttttttollttttssso...",
    ".oprrrpotttttttttttolttttssdo...",
    ".oprrpootttttttttttottttsddo....",
    "..opppoodddddddddddotttsdddo....",
    "....ooooooooooooooooooooo.......",
    "................................",
};
// clang-format on

// Outlined in black, lit from the left: white along the left side, grey
// shading along the right.
constexpr std::array<ArtColour, 4> MOUSE_LEGEND = {{
    {'k', 0x000000}, // outline, button seams and cord
    {'m', 0x808080}, // shading
    {'g', 0xC0C0C0}, // body
    {'W', 0xFFFFFF}, // highlight
}};

// clang-format off
constexpr std::array<std::string_view, ICON_SIZE> MOUSE_ART = {
    "...........................kkkkk",
    ".........................kk.....",
    ".................kkk....k.......",
    "................k...k..k........",
    "...............k.....kk.........",
    "...............k....k...........",
    "................k..k............",
    ".................kk.............",
    "................k...............",
    "...............k................",
    "...........kkkkkkkkkk...........",
    ".........kkWWggkggkggmkk........",
    "........kWWgggkggggkggmmk.......",
    "........kWggggkggggkgggmk.......",
    "........kWggggkggggkgggmk.......",
    "........kWggggkggggkgggmk.......",
    "........kWkkkkkkkkkkkkkmk.......",
    "........kWgggggggggggggmk.......",
    "........kWgggggggggggggmk.......",
    "........kWWggggggggggggmk.......",
    "........kWWggggggggggggmk.......",
    "........kWWggggggggggggmk.......",
    "........kWWggggggggggggmk.......",
    "........kWWgggggggggggmmk.......",
    "........kWWgggggggggggmmk.......",
    "........kWWgggggggggggmmk.......",
    "........kWgggggggggggggmk.......",
    "........kWgggggggggggggmk.......",
    "........kggggggggggggmmmk.......",
    ".........kkgggggggggmmmkk.......",
    "...........kkkkkkkkkkk..........",
    "................................",
};
// clang-format on

// The mouse takes the classic 16-colour palette, like any 16-colour icon.
constexpr std::array<uint32_t, 16> STANDARD_16_COLOURS = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

} // namespace

IconImage iconFromArt(std::span<const std::string_view> rows, std::span<const ArtColour> legend,
                      std::span<const uint32_t> palette)
{
    IconImage image;
    image.size = static_cast<int>(rows.size());
    image.bitsPerPixel = palette.size() == 16 ? 4 : 8;
    image.palette.assign(palette.begin(), palette.end());
    if ((palette.size() != 16 && palette.size() != 256) || palette[0] != 0)
        throw std::invalid_argument("iconFromArt: the palette must have 16 or 256 entries, black first");

    for (std::string_view row : rows) {
        if (row.size() != rows.size())
            throw std::invalid_argument("iconFromArt: the grid must be square");
        for (char symbol : row) {
            // Transparent pixels stay black in the colour image so that the
            // mask alone decides what shows; none inverts the screen.
            if (symbol == '.') {
                image.indexes.push_back(0);
                image.transparent.push_back(1);
                continue;
            }
            const auto colour = std::find_if(legend.begin(), legend.end(),
                                             [symbol](const ArtColour& entry) { return entry.symbol == symbol; });
            if (colour == legend.end())
                throw std::invalid_argument(std::string("iconFromArt: no colour for '") + symbol + "'");
            const auto entry = std::find(palette.begin(), palette.end(), colour->rgb);
            if (entry == palette.end())
                throw std::invalid_argument(std::string("iconFromArt: colour of '") + symbol + "' not in the palette");
            image.indexes.push_back(static_cast<uint8_t>(entry - palette.begin()));
            image.transparent.push_back(0);
        }
    }
    return image;
}

IconImage windowIconImage()
{
    // The bear's own colours come first; the rest of the 256 entries stay black.
    std::array<uint32_t, 256> palette{};
    std::transform(BEAR_LEGEND.begin(), BEAR_LEGEND.end(), palette.begin(),
                   [](const ArtColour& colour) { return colour.rgb; });
    return iconFromArt(BEAR_ART, BEAR_LEGEND, palette);
}

IconImage padPointerImage()
{
    return iconFromArt(MOUSE_ART, MOUSE_LEGEND, STANDARD_16_COLOURS);
}

std::vector<uint8_t> encodeWindowIcon()
{
    return encodeIco(windowIconImage());
}

std::vector<uint8_t> encodePadPointer()
{
    return encodeIco(padPointerImage());
}
