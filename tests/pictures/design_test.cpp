// The background picture and the two icons, read back from their bytes.

#include "tests/support/picturefiles.h"

#include "design/background.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <array>
#include <map>
#include <set>

namespace {

constexpr int WIDTH = BACKGROUND_WIDTH;
constexpr int HEIGHT = BACKGROUND_HEIGHT;
constexpr int TILE_WIDTH = BACKGROUND_TILE_WIDTH;
constexpr int TILE_HEIGHT = BACKGROUND_TILE_HEIGHT;

uint32_t rgbQuad(std::span<const uint8_t> bytes, size_t at)
{
    EXPECT_EQ(bytes[at + 3], 0) << "reserved byte of palette entry at " << at;
    return (uint32_t{bytes[at + 2]} << 16) | (bytes[at + 1] << 8) | bytes[at];
}

// Palette indexes of the background, top row first.
std::vector<uint8_t> backgroundIndexes(const std::vector<uint8_t>& bytes)
{
    const size_t offset = le32(bytes, 10);
    std::vector<uint8_t> indexes(static_cast<size_t>(WIDTH) * HEIGHT);
    for (int y = 0; y < HEIGHT; ++y)
        for (int x = 0; x < WIDTH; ++x) {
            const uint8_t byte = bytes[offset + static_cast<size_t>(HEIGHT - 1 - y) * (WIDTH / 2) + x / 2];
            indexes[static_cast<size_t>(y) * WIDTH + x] = x % 2 == 0 ? byte >> 4 : byte & 0x0F;
        }
    return indexes;
}

struct Icon {
    int bitsPerPixel = 0;
    std::vector<uint32_t> palette;
    std::vector<uint32_t> colours; // 32 x 32 colour image, top row first
    std::vector<bool> transparent; // the AND mask, top row first
};

// Checks the icon file's structure and reads its one image.
Icon readIcon(const std::string& name)
{
    const auto bytes = readPictureFile(name);
    Icon icon;
    EXPECT_EQ(le16(bytes, 0), 0u);
    EXPECT_EQ(le16(bytes, 2), 1u) << "type: icon";
    EXPECT_EQ(le16(bytes, 4), 1u) << "one image";
    EXPECT_EQ(bytes[6], 32);
    EXPECT_EQ(bytes[7], 32);
    const uint32_t imageBytes = le32(bytes, 14);
    const uint32_t at = le32(bytes, 18);
    EXPECT_EQ(at + imageBytes, bytes.size());
    EXPECT_EQ(le32(bytes, at), 40u) << "BITMAPINFOHEADER";
    EXPECT_EQ(le32(bytes, at + 4), 32u);
    EXPECT_EQ(le32(bytes, at + 8), 64u) << "colour image and mask together";
    EXPECT_EQ(le16(bytes, at + 12), 1u);
    icon.bitsPerPixel = static_cast<int>(le16(bytes, at + 14));
    EXPECT_EQ(le16(bytes, 12), static_cast<unsigned>(icon.bitsPerPixel));
    EXPECT_EQ(le32(bytes, at + 16), 0u) << "uncompressed";

    const size_t paletteAt = at + 40;
    const size_t paletteSize = size_t{1} << icon.bitsPerPixel;
    const size_t rowBytes = 32 * static_cast<size_t>(icon.bitsPerPixel) / 8;
    const size_t colourAt = paletteAt + 4 * paletteSize;
    const size_t maskAt = colourAt + 32 * rowBytes;
    EXPECT_EQ(maskAt + 32 * 4, bytes.size());
    if (maskAt + 32 * 4 != bytes.size())
        return icon;
    for (size_t i = 0; i < paletteSize; ++i)
        icon.palette.push_back(rgbQuad(bytes, paletteAt + 4 * i));
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const size_t row = static_cast<size_t>(31 - y);
            const uint8_t byte = bytes[colourAt + row * rowBytes + static_cast<size_t>(x * icon.bitsPerPixel / 8)];
            const int index = icon.bitsPerPixel == 8 ? byte : (x % 2 == 0 ? byte >> 4 : byte & 0x0F);
            icon.colours.push_back(icon.palette[static_cast<size_t>(index)]);
            icon.transparent.push_back(((bytes[maskAt + row * 4 + x / 8] >> (7 - x % 8)) & 1) != 0);
        }
    return icon;
}

std::set<uint32_t> coloursIn(const Icon& icon, bool opaqueOnly)
{
    std::set<uint32_t> used;
    for (size_t i = 0; i < icon.colours.size(); ++i)
        if (!opaqueOnly || !icon.transparent[i])
            used.insert(icon.colours[i]);
    return used;
}

} // namespace

TEST(BackgroundPicture, IsAFourBitBottomUpWindowsBitmap)
{
    const auto bytes = readPictureFile("design/background.bmp");
    ASSERT_GE(bytes.size(), 118u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 2), "BM");
    EXPECT_EQ(le32(bytes, 2), bytes.size());
    EXPECT_EQ(le32(bytes, 10), 14u + 40 + 16 * 4);
    EXPECT_EQ(le32(bytes, 14), 40u);
    EXPECT_EQ(le32(bytes, 18), uint32_t{WIDTH});
    EXPECT_EQ(le32(bytes, 22), uint32_t{HEIGHT}) << "positive height: rows run bottom-up";
    EXPECT_EQ(le16(bytes, 26), 1u);
    EXPECT_EQ(le16(bytes, 28), 4u);
    EXPECT_EQ(le32(bytes, 30), 0u) << "BI_RGB";
    EXPECT_EQ(bytes.size(), 118u + WIDTH / 2 * HEIGHT);
    for (size_t i = 0; i < SPECKLES.size(); ++i)
        EXPECT_EQ(rgbQuad(bytes, 54 + 4 * i), SPECKLES[i].rgb) << "palette entry " << i;
}

TEST(BackgroundPicture, IsOneTileRepeatedFourTimesEachWay)
{
    const auto indexes = backgroundIndexes(readPictureFile("design/background.bmp"));
    int seams = 0;
    for (int y = 0; y < HEIGHT; ++y)
        for (int x = 0; x < WIDTH; ++x)
            seams += indexes[static_cast<size_t>(y) * WIDTH + x]
                != indexes[static_cast<size_t>(y % TILE_HEIGHT) * WIDTH + x % TILE_WIDTH];
    EXPECT_EQ(seams, 0);
}

TEST(BackgroundPicture, ColoursComeInTheTexturesProportions)
{
    const auto indexes = backgroundIndexes(readPictureFile("design/background.bmp"));
    std::array<int, 16> counts{};
    for (uint8_t index : indexes)
        ++counts[index];
    std::array<double, 3> sum{};
    for (size_t i = 0; i < SPECKLES.size(); ++i) {
        const double percent = 100.0 * counts[i] / static_cast<double>(indexes.size());
        EXPECT_NEAR(percent, SPECKLES[i].permille / 10.0, 0.1) << "colour " << std::hex << SPECKLES[i].rgb;
        for (int channel = 0; channel < 3; ++channel)
            sum[channel] += counts[i] * ((SPECKLES[i].rgb >> (16 - 8 * channel)) & 0xFF);
    }
    // On average a deeper orange than the window's own #EEB34F: about #F79504.
    EXPECT_NEAR(sum[0] / indexes.size(), 0xF7, 1.5);
    EXPECT_NEAR(sum[1] / indexes.size(), 0x95, 1.5);
    EXPECT_NEAR(sum[2] / indexes.size(), 0x04, 1.5);
}

TEST(BackgroundPicture, TileIsScatteredLikeNoise)
{
    // Every 16 x 16 patch of the tile mixes several colours and none is all one
    // colour: the speckles are spread, not laid out in bands or blobs.
    const auto indexes = backgroundIndexes(readPictureFile("design/background.bmp"));
    for (int top = 0; top < TILE_HEIGHT; top += 16)
        for (int left = 0; left < TILE_WIDTH; left += 16) {
            std::map<uint8_t, int> patch;
            for (int y = top; y < top + 16; ++y)
                for (int x = left; x < left + 16; ++x)
                    ++patch[indexes[static_cast<size_t>(y) * WIDTH + x]];
            const int commonest = std::max_element(patch.begin(), patch.end(), [](auto a, auto b) {
                                      return a.second < b.second;
                                  })->second;
            EXPECT_GE(patch.size(), 6u) << "patch at " << left << ", " << top;
            EXPECT_LT(commonest, 200) << "patch at " << left << ", " << top;
        }
}

TEST(BackgroundPicture, PagesTileIsTheBitmapsTopLeftAsAFourBitPalettePng)
{
    const auto bytes = readPictureFile("page/background.png");
    ASSERT_GE(bytes.size(), 26u);
    EXPECT_EQ(bytes[24], 4) << "bit depth";
    EXPECT_EQ(bytes[25], PNG_COLOR_TYPE_PALETTE);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) << image.message;
    ASSERT_EQ(image.width, uint32_t{TILE_WIDTH});
    ASSERT_EQ(image.height, uint32_t{TILE_HEIGHT});
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) << image.message;

    const auto indexes = backgroundIndexes(readPictureFile("design/background.bmp"));
    int mismatches = 0;
    for (int y = 0; y < TILE_HEIGHT; ++y)
        for (int x = 0; x < TILE_WIDTH; ++x) {
            const uint8_t* pixel = &rgb[3 * (static_cast<size_t>(y) * TILE_WIDTH + x)];
            const uint32_t colour = uint32_t{pixel[0]} << 16 | pixel[1] << 8 | pixel[2];
            mismatches += colour != SPECKLES[indexes[static_cast<size_t>(y) * WIDTH + x]].rgb;
        }
    EXPECT_EQ(mismatches, 0);
}

TEST(IconFiles, WindowIconIsAnEightBitTeddyBear)
{
    const Icon bear = readIcon("design/zentrik.ico");
    ASSERT_EQ(bear.bitsPerPixel, 8);
    ASSERT_EQ(bear.palette.size(), 256u);
    EXPECT_EQ(std::count(bear.transparent.begin(), bear.transparent.end(), true), 333);
    EXPECT_EQ(std::count(bear.transparent.begin(), bear.transparent.end(), false), 691);
    EXPECT_EQ(coloursIn(bear, false).size(), 11u);
    EXPECT_EQ(coloursIn(bear, true).size(), 11u);
    const auto used = coloursIn(bear, true);
    for (uint32_t described : {0xFFCC66u, 0xCC9966u, 0x444444u, 0xFF9999u, 0xFF6666u, 0xFF99CCu, 0x663333u})
        EXPECT_TRUE(used.contains(described)) << std::hex << described;
    for (size_t i = 0; i < bear.colours.size(); ++i) {
        if (bear.transparent[i]) {
            EXPECT_EQ(bear.colours[i], 0u) << "transparent pixel " << i << " is not black";
        } else if (bear.colours[i] == 0) {
            EXPECT_LT(i % 32, 16u) << "facing left: the eye and nose sit in the left half";
        }
    }
}

TEST(IconFiles, PadPointerIsAFourBitMouseWithItsCordUpRight)
{
    const Icon mouse = readIcon("design/pad.ico");
    ASSERT_EQ(mouse.bitsPerPixel, 4);
    ASSERT_EQ(mouse.palette.size(), 16u);
    EXPECT_EQ(std::count(mouse.transparent.begin(), mouse.transparent.end(), true), 658);
    EXPECT_EQ(std::count(mouse.transparent.begin(), mouse.transparent.end(), false), 366);
    EXPECT_EQ(coloursIn(mouse, true), (std::set<uint32_t>{0x000000, 0xC0C0C0, 0x808080, 0xFFFFFF}));
    // All black where transparent, so no pixel inverts the screen beneath.
    for (size_t i = 0; i < mouse.colours.size(); ++i) {
        if (mouse.transparent[i]) {
            EXPECT_EQ(mouse.colours[i], 0u) << "transparent pixel " << i << " is not black";
        }
    }
    // The cord reaches the top edge only on the right.
    int topRow = 0;
    for (size_t x = 0; x < 32; ++x) {
        if (!mouse.transparent[x]) {
            ++topRow;
            EXPECT_GE(x, 16u);
        }
    }
    EXPECT_GT(topRow, 0);
}
