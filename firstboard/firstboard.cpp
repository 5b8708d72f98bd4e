// zentrik-first-board <picture folder> <output folder>: the page's board as
// the start-up leaves it, written for index.html to show before the program
// has arrived and run, which takes it over once its own board stands:
//
//   first-board.png   the slots, the pad and the blocks, on clear, at scale 1
//   first-board.css   the board's places and looks at the scale the page
//                     takes, for the page's style sheet
//   first-board.html  the board's markup, for index.html
//   window.cmake      the window's caption and colour, for the build to name
//                     the page and colour its manifest
//
// A browser shows it as it shows any page, as soon as the picture is
// decoded, while the program is still on its way and building its own. The
// picture is drawn as the page draws the board, and the texts and looks come
// from web/boardlook.cpp, as the page's do.

#include "controls/loadpicture.h"
#include "controls/pixels.h"
#include "design/background.h"
#include "design/colours.h"
#include "pictures/pngfile.h"
#include "rules/gameform.h"
#include "rules/startup.h"
#include "web/boardlook.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The largest whole scale the style sheet names: a viewport 8 times the
// scene's, 8048 x 5944 pixels, is beyond any screen a school has.
constexpr int LARGEST_SCALE = 8;

// The board's pixels at scale 1, as 0xAARRGGBB (0 is clear), drawn as the
// page draws them: the slots in order, then the pad and the blocks, each
// control's colour under its picture.
struct Board {
    int width;
    int height;
    std::vector<uint32_t> pixels = std::vector<uint32_t>(static_cast<size_t>(width) * height);

    void fill(const PixelBox& box, uint32_t colour)
    {
        for (int y = std::max(box.top, 0); y < std::min(box.bottom, height); ++y)
            for (int x = std::max(box.left, 0); x < std::min(box.right, width); ++x)
                pixels[static_cast<size_t>(y) * width + x] = colour;
    }

    // The picture from the box's top left, as much of it as the box holds; clear pixels leave the board.
    void draw(const PixelBox& box, const Picture& picture)
    {
        const int shownWidth = std::min(box.width(), picture.width());
        const int shownHeight = std::min(box.height(), picture.height());
        for (int y = 0; y < shownHeight; ++y)
            for (int x = 0; x < shownWidth; ++x) {
                const uint32_t pixel = picture.pixel(x, y);
                const int left = box.left + x;
                const int top = box.top + y;
                if (pixel >> 24 != 0 && left >= 0 && left < width && top >= 0 && top < height)
                    pixels[static_cast<size_t>(top) * width + left] = pixel;
            }
    }

    // A palette PNG, its first entry clear.
    std::vector<uint8_t> png() const
    {
        std::vector<uint32_t> palette{0};
        std::vector<uint8_t> indexes(pixels.size());
        for (size_t i = 0; i < pixels.size(); ++i) {
            const uint32_t pixel = pixels[i];
            if (pixel >> 24 != 0 && pixel >> 24 != 0xFF)
                throw std::runtime_error("a picture of the board is partly transparent");
            const uint32_t colour = pixel == 0 ? 0 : pixel & 0xFFFFFF;
            auto found = std::find(palette.begin(), palette.end(), colour);
            if (pixel != 0 && found == palette.begin())
                found = std::find(palette.begin() + 1, palette.end(), colour);
            if (found == palette.end()) {
                palette.push_back(colour);
                found = palette.end() - 1;
            }
            indexes[i] = static_cast<uint8_t>(found - palette.begin());
        }
        return encodeIndexedPng(width, height, indexes, palette, 0);
    }
};

std::string escapeHtml(const std::string& text)
{
    std::string escaped;
    for (char c : text)
        escaped += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : std::string(1, c);
    return escaped;
}

void writeFile(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream file(path, std::ios::binary);
    file << text;
    if (!file.flush())
        throw std::runtime_error("cannot write " + path.string());
}

void writeFirstBoard(const std::filesystem::path& pictureFolder, const std::filesystem::path& folder)
{
    GameForm form([&](const std::string& name) { return LoadPicture(pictureFolder / "design" / name); });
    // The page has no frame: the board is the window's client area as designed.
    const int width = toPixels(form.Form1.Width());
    const int height = toPixels(form.Form1.Height());
    Form_Load(form);

    Board board{width, height};

    std::ostringstream css;
    std::ostringstream html;
    // --u is a pixel of the scene at the page's scale: the largest whole
    // scale that fits the viewport, or the fit where the scene is larger, by
    // the side that fits it. No range in a query, which the oldest browsers
    // (docs/web.md) do not read: each rule overrides the ones before it, so
    // a whole scale that fits wins over either fit. No min(): Firefox rounds
    // the smaller length to its sixtieths of a pixel before scaling it.
    css << ":root { --u: calc(100vh / " << height << "); }\n"
        << "@media (max-aspect-ratio: " << width << "/" << height << ") { :root { --u: calc(100vw / " << width
        << "); } }\n";
    for (int scale = 1; scale <= LARGEST_SCALE; ++scale)
        css << "@media (min-width: " << width * scale << "px) and (min-height: " << height * scale
            << "px) { :root { --u: " << scale << "px; } }\n";
    css << "body { background-color: " << cssColour(form.Form1.BackColor())
        << "; }\n"
        // Both boards centred on whole pixels, where a half would blur every
        // picture; an engine without round() centres them as they fall.
        // WebKit's 100vw falls a hair short of the viewport's width, so the
        // half is rounded down from a thousandth of a pixel above it.
        << "#first-board, #Form1 {\n    width: " << scaled(width) << ";\n    height: " << scaled(height)
        << ";\n    left: calc((100vw - " << scaled(width) << ") / 2);\n    top: calc((100vh - " << scaled(height)
        << ") / 2);\n    background-size: " << scaled(BACKGROUND_TILE_WIDTH) << ' ' << scaled(BACKGROUND_TILE_HEIGHT)
        << ";\n}\n"
        // Within @supports: with a var() in it, an engine without round()
        // would take the declaration as it reads the sheet and drop it only
        // as it lays the board out, the calc() above lost.
        << "@supports (left: round(down, 1px, 1px)) {\n    #first-board, #Form1 {\n        left: round(down, (100vw - "
        << scaled(width) << ") / 2 + 0.001px, 1px);\n        top: round(down, (100vh - " << scaled(height)
        << ") / 2 + 0.001px, 1px);\n    }\n}\n";
    html << "<div id=\"first-board\" aria-hidden=\"true\"><img src=\"first-board.png\" alt=\"\">";

    std::vector<const Control*> drawn;
    for (const Control* standing : form.standingOrder()) {
        const Control& control = *standing;
        if (!control.Visible())
            continue;
        if (const auto* label = dynamic_cast<const Label*>(&control)) {
            // One picture holds all the rest: it can stand under a label only where nothing of it is.
            for (const Control* under : drawn)
                if (pixelBox(*under).crosses(pixelBox(control)))
                    throw std::runtime_error(control.Name() + " stands over " + under->Name());
            const PixelBox box = pixelBox(control);
            css << "#first-" << elementId(control) << " {\n    left: " << scaled(box.left)
                << ";\n    top: " << scaled(box.top) << ";\n    width: " << scaled(box.width())
                << ";\n    height: " << scaled(box.height()) << ";\n";
            for (const auto& [property, value] : labelLook(*label))
                css << "    " << property << ": " << value << ";\n";
            css << "}\n";
            html << "<div class=\"label\" id=\"first-" << elementId(control) << "\">" << escapeHtml(label->Caption())
                 << "</div>";
            continue;
        }
        if (const auto* box = dynamic_cast<const PictureBox*>(&control))
            board.fill(pixelBox(control), 0xFF000000 | toRgb(box->BackColor()));
        const auto& picture = dynamic_cast<const PictureHolder&>(control).Picture();
        if (picture)
            board.draw(pixelBox(control), *picture);
        // The slots lie on the background, under the labels.
        if (!dynamic_cast<const Image*>(&control))
            drawn.push_back(&control);
    }
    html << "</div>\n";

    const std::vector<uint8_t> png = board.png();
    writeFile(folder / "first-board.png", std::string(png.begin(), png.end()));
    writeFile(folder / "first-board.css", css.str());
    writeFile(folder / "first-board.html", html.str());
    std::string caption;
    for (char c : form.Form1.Caption())
        caption += std::string(c == '"' || c == '\\' || c == '$' ? "\\" : "") + c;
    writeFile(folder / "window.cmake",
              "set(ZENTRIK_TITLE \"" + caption + "\")\nset(ZENTRIK_BACKGROUND \"" + cssColour(form.Form1.BackColor())
                  + "\")\n");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: zentrik-first-board <picture folder> <output folder>\n";
        return 2;
    }
    try {
        writeFirstBoard(argv[1], argv[2]);
    } catch (const std::exception& error) {
        std::cerr << "zentrik-first-board: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
