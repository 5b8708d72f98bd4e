// The stroke pictures, read back from the files the build generated.

#include "tests/support/picturefiles.h"

#include "design/colours.h"
#include "design/shapes.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <numbers>
#include <set>

namespace {

constexpr int SIZE = 50;
constexpr uint8_t TRANSPARENT = STROKE_TRANSPARENT_INDEX;

enum class Kind { Preview, Target, Block };

struct StrokeExtent {
    const char* tag;
    int strokePixels;
    int minX, maxX, minY, maxY; // where the stroke may lie
};

// Rotation order: each row is the one before it turned clockwise.
constexpr std::array<StrokeExtent, 4> CURVES = {{
    {"c", 638, 24, 49, 0, 49},
    {"c_down", 638, 0, 49, 24, 49},
    {"c_back", 638, 0, 25, 0, 49},
    {"c_up", 638, 0, 49, 0, 25},
}};
constexpr std::array<StrokeExtent, 4> LINES = {{
    {"vert", 500, 21, 30, 0, 49},
    {"upright", 552, 1, 48, 1, 48},
    {"horz", 500, 0, 49, 19, 28},
    {"upleft", 552, 1, 48, 1, 48},
}};

struct StrokeFile {
    std::string name;
    std::string tag;
    Kind kind;
};

std::vector<StrokeFile> strokeFiles()
{
    std::vector<StrokeFile> files;
    for (const Shape& shape : SHAPES) {
        const std::string tag = shape.tag;
        files.push_back({shape.targetFile, tag, Kind::Target});
        files.push_back({shape.blockFile, tag, Kind::Block});
        files.push_back({"design/preview_" + tag + ".gif", tag, Kind::Preview});
    }
    files.push_back({"design/block_c.gif", "c", Kind::Block});
    files.push_back({"design/block_vert.gif", "vert", Kind::Block});
    files.push_back({"design/target_c.gif", "c", Kind::Target});
    files.push_back({"design/target_c_back.gif", "c_back", Kind::Target});
    files.push_back({"design/target_vert.gif", "vert", Kind::Target});
    return files;
}

uint8_t strokeIndexOf(Kind kind)
{
    return kind == Kind::Target ? TARGET_STROKE_INDEX : 0;
}

std::array<uint32_t, 16> colourTableOf(Kind kind)
{
    std::array<uint32_t, 16> table{};
    table[0] = kind == Kind::Preview ? PREVIEW_GREEN : kind == Kind::Target ? TARGET_ENTRY_ZERO : BLOCK_BLUE;
    std::copy(STROKE_SHARED_ENTRIES.begin(), STROKE_SHARED_ENTRIES.end(), table.begin() + 1);
    return table;
}

// The raw colour indexes, through giflib's whole-file reader: a decoder
// independent of the game's own.
std::vector<uint8_t> rasterOf(const std::vector<uint8_t>& bytes)
{
    struct Source {
        const std::vector<uint8_t>* bytes;
        size_t at;
    } source{&bytes, 0};
    auto read = [](GifFileType* gif, GifByteType* out, int length) {
        auto* from = static_cast<Source*>(gif->UserData);
        const size_t count = std::min<size_t>(static_cast<size_t>(length), from->bytes->size() - from->at);
        std::memcpy(out, from->bytes->data() + from->at, count);
        from->at += count;
        return static_cast<int>(count);
    };
    int error = 0;
    auto close = [](GifFileType* gif) { DGifCloseFile(gif, nullptr); };
    std::unique_ptr<GifFileType, decltype(close)> gif(DGifOpen(&source, read, &error), close);
    if (!gif || DGifSlurp(gif.get()) != GIF_OK || gif->ImageCount != 1)
        return {};
    const auto* raster = gif->SavedImages[0].RasterBits;
    return {raster, raster + SIZE * SIZE};
}

std::set<std::pair<int, int>> strokeOf(const std::string& file)
{
    const auto raster = rasterOf(readPictureFile(file));
    std::set<std::pair<int, int>> pixels;
    for (int y = 0; y < SIZE && !raster.empty(); ++y)
        for (int x = 0; x < SIZE; ++x)
            if (raster[static_cast<size_t>(y) * SIZE + x] != TRANSPARENT)
                pixels.insert({x, y});
    return pixels;
}

// Turns every pixel of `from` clockwise by `degrees` about the picture's
// centre; each one that lands inside the picture must lie within two pixels
// of a pixel of `to`.
int pixelsAstray(const std::set<std::pair<int, int>>& from, const std::set<std::pair<int, int>>& to, double degrees)
{
    const double angle = degrees * std::numbers::pi / 180;
    int astray = 0;
    for (auto [x, y] : from) {
        const double dx = x + 0.5 - SIZE / 2.0;
        const double dy = y + 0.5 - SIZE / 2.0;
        // y grows downward, so this turn is clockwise on the screen.
        const double tx = SIZE / 2.0 + dx * std::cos(angle) - dy * std::sin(angle);
        const double ty = SIZE / 2.0 + dx * std::sin(angle) + dy * std::cos(angle);
        if (tx < 0 || ty < 0 || tx >= SIZE || ty >= SIZE)
            continue;
        bool near = false;
        for (auto [ux, uy] : to)
            near = near || std::hypot(ux + 0.5 - tx, uy + 0.5 - ty) <= 2.0;
        astray += near ? 0 : 1;
    }
    return astray;
}

} // namespace

TEST(StrokePictures, FollowTheFileLayoutByteForByte)
{
    for (const StrokeFile& file : strokeFiles()) {
        SCOPED_TRACE(file.name);
        const auto bytes = readPictureFile(file.name);
        ASSERT_GT(bytes.size(), 82u);
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), "GIF89a");
        EXPECT_EQ(le16(bytes, 6), 50u);
        EXPECT_EQ(le16(bytes, 8), 50u);
        EXPECT_EQ(bytes[10] & 0x8F, 0x83) << "global table of 16 entries, unsorted";
        EXPECT_EQ(bytes[11], 0) << "background index";
        EXPECT_EQ(bytes[12], 0) << "aspect ratio";
        const auto table = colourTableOf(file.kind);
        for (size_t i = 0; i < table.size(); ++i) {
            const uint32_t rgb = (uint32_t{bytes[13 + 3 * i]} << 16) | (bytes[14 + 3 * i] << 8) | bytes[15 + 3 * i];
            EXPECT_EQ(rgb, table[i]) << "entry " << i;
        }
        const std::vector<uint8_t> control = {0x21, 0xF9, 4, 0x01, 0, 0, TRANSPARENT, 0};
        EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 61, bytes.begin() + 69), control);
        const std::vector<uint8_t> image = {0x2C, 0, 0, 0, 0, 50, 0, 50, 0, 0x00};
        EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 69, bytes.begin() + 79), image);
        EXPECT_EQ(bytes[79], 4) << "LZW minimum code size";
        // The image data's sub-blocks lead straight to the trailer: one image, nothing else.
        size_t at = 80;
        while (at < bytes.size() && bytes[at] != 0)
            at += bytes[at] + 1u;
        EXPECT_EQ(at + 2, bytes.size());
        EXPECT_EQ(bytes.back(), 0x3B);
    }
}

TEST(StrokePictures, UseOnlyTheStrokeAndTransparentIndexes)
{
    std::map<std::string, int> expectedCount;
    for (const auto* family : {&CURVES, &LINES})
        for (const StrokeExtent& shape : *family)
            expectedCount[shape.tag] = shape.strokePixels;
    // Every picture of a tag has the same stroke pixels, whatever its colour.
    std::map<std::string, std::set<std::pair<int, int>>> strokeOfTag;
    for (const StrokeFile& file : strokeFiles()) {
        SCOPED_TRACE(file.name);
        const auto raster = rasterOf(readPictureFile(file.name));
        ASSERT_EQ(raster.size(), size_t{SIZE * SIZE});
        const std::set<uint8_t> used(raster.begin(), raster.end());
        EXPECT_EQ(used, (std::set<uint8_t>{strokeIndexOf(file.kind), TRANSPARENT}));
        EXPECT_EQ(std::count(raster.begin(), raster.end(), strokeIndexOf(file.kind)), expectedCount[file.tag]);
        const auto stroke = strokeOf(file.name);
        EXPECT_EQ(strokeOfTag.try_emplace(file.tag, stroke).first->second, stroke);
    }
}

TEST(StrokePictures, StrokesStayInTheirExtents)
{
    for (const auto* family : {&CURVES, &LINES})
        for (const StrokeExtent& shape : *family) {
            SCOPED_TRACE(shape.tag);
            for (auto [x, y] : strokeOf(std::string(shape.tag) + "2b.gif")) {
                EXPECT_TRUE(x >= shape.minX && x <= shape.maxX && y >= shape.minY && y <= shape.maxY)
                    << "pixel " << x << ", " << y;
            }
        }
    // The ends of the half rings touch the picture's edge at its corners, so
    // that neighbouring slots join.
    const auto c = strokeOf("c2b.gif");
    EXPECT_TRUE(c.contains({49, 0}) && c.contains({49, 49}));
    const auto arch = strokeOf("c_down2b.gif");
    EXPECT_TRUE(arch.contains({0, 49}) && arch.contains({49, 49}));
    // The diagonals run corner to corner: "upright" rises to the right, "upleft" to the left.
    const auto upright = strokeOf("upright2b.gif");
    EXPECT_TRUE(upright.contains({5, 44}) && upright.contains({44, 5}) && !upright.contains({5, 5}));
    const auto upleft = strokeOf("upleft2b.gif");
    EXPECT_TRUE(upleft.contains({5, 5}) && upleft.contains({44, 44}) && !upleft.contains({44, 5}));
}

TEST(StrokePictures, EachShapeIsThePreviousTurnedClockwise)
{
    for (const auto& [family, step] : {std::pair{&CURVES, 90.0}, std::pair{&LINES, 45.0}})
        for (size_t i = 0; i < family->size(); ++i) {
            const std::string from = (*family)[i].tag;
            const std::string to = (*family)[(i + 1) % family->size()].tag;
            SCOPED_TRACE(testing::Message() << from << " -> " << to);
            const auto before = strokeOf(from + "2b.gif");
            const auto after = strokeOf(to + "2b.gif");
            EXPECT_EQ(pixelsAstray(before, after, step), 0);
            EXPECT_EQ(pixelsAstray(after, before, -step), 0);
            // Turning the other way must not fit: the test can tell the direction.
            EXPECT_GT(pixelsAstray(before, after, -step), 0);
        }
}

TEST(StrokePictures, HalfRingsSideBySideCloseIntoOneRing)
{
    // "c" with "c_back" 50 pixels to its right; "c_down" with "c_up" 50 pixels below.
    const auto c = strokeOf("c2.gif");
    const auto back = strokeOf("c_back2b.gif");
    const auto arch = strokeOf("c_down2.gif");
    const auto cup = strokeOf("c_up2b.gif");
    for (int degree = 0; degree < 360; ++degree) {
        const double a = degree * std::numbers::pi / 180;
        const int across = static_cast<int>(std::floor(50 + 20 * std::cos(a)));
        const int down = static_cast<int>(std::floor(25 + 20 * std::sin(a)));
        EXPECT_TRUE(c.contains({across, down}) || back.contains({across - 50, down})) << degree;
        EXPECT_TRUE(arch.contains({down, across}) || cup.contains({down, across - 50})) << degree;
    }
}

TEST(StrokePictures, DesignTimeTwinsMatchTheirFilesExactly)
{
    const std::pair<const char*, const char*> twins[] = {
        {"c2.gif", "design/target_c.gif"},       {"c_back2.gif", "design/target_c_back.gif"},
        {"vert2.gif", "design/target_vert.gif"}, {"c2b.gif", "design/block_c.gif"},
        {"vert2b.gif", "design/block_vert.gif"},
    };
    for (auto [file, twin] : twins)
        EXPECT_EQ(readPictureFile(file), readPictureFile(twin)) << file;
}
