// The desktop's application icons, read back from the PNG files the build generated.

#include "picturefiles.h"
#include "pictures/icons.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <string>

namespace {

constexpr std::array<int, 4> SIZES = {32, 64, 128, 256};

struct Png {
    uint32_t width = 0;
    uint32_t height = 0;
    uint8_t bitDepth = 0;
    uint8_t colourType = 0;
    uint8_t interlace = 0;
    std::vector<uint32_t> rgba; // 0xRRGGBBAA, top row first
};

uint32_t be32(std::span<const uint8_t> bytes, size_t at)
{
    return uint32_t{bytes[at]} << 24 | uint32_t{bytes[at + 1]} << 16 | uint32_t{bytes[at + 2]} << 8 | bytes[at + 3];
}

// Walks the chunks checking every checksum, then inflates the image data with
// zlib. Rows must use filter "none", the only one this reader undoes.
void readPng(const std::string& name, Png& png)
{
    const auto bytes = readPictureFile(name);
    constexpr std::array<uint8_t, 8> SIGNATURE = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    ASSERT_GE(bytes.size(), SIGNATURE.size());
    ASSERT_TRUE(std::equal(SIGNATURE.begin(), SIGNATURE.end(), bytes.begin())) << name;

    std::vector<std::string> types;
    std::vector<uint8_t> deflated;
    for (size_t at = SIGNATURE.size(); at < bytes.size();) {
        ASSERT_LE(at + 12, bytes.size()) << name << ": chunk header runs past the end";
        const uint32_t length = be32(bytes, at);
        ASSERT_LE(at + 12 + length, bytes.size()) << name << ": chunk runs past the end";
        const std::string type(bytes.begin() + static_cast<long>(at) + 4, bytes.begin() + static_cast<long>(at) + 8);
        const uint8_t* data = bytes.data() + at + 8;
        const uLong crc = crc32(crc32(0, nullptr, 0), bytes.data() + at + 4, 4 + length);
        EXPECT_EQ(be32(bytes, at + 8 + length), crc) << name << ": checksum of " << type;
        if (type == "IHDR") {
            ASSERT_EQ(length, 13u);
            png.width = be32(bytes, at + 8);
            png.height = be32(bytes, at + 12);
            png.bitDepth = data[8];
            png.colourType = data[9];
            png.interlace = data[12];
        } else if (type == "IDAT") {
            deflated.insert(deflated.end(), data, data + length);
        }
        types.push_back(type);
        at += 12 + length;
    }
    ASSERT_GE(types.size(), 3u);
    EXPECT_EQ(types.front(), "IHDR") << name;
    EXPECT_EQ(types.back(), "IEND") << name;

    const size_t stride = 1 + 4 * static_cast<size_t>(png.width);
    std::vector<uint8_t> rows(stride * png.height);
    uLongf inflated = static_cast<uLongf>(rows.size());
    ASSERT_EQ(uncompress(rows.data(), &inflated, deflated.data(), static_cast<uLong>(deflated.size())), Z_OK) << name;
    ASSERT_EQ(inflated, rows.size()) << name;
    for (size_t y = 0; y < png.height; ++y) {
        ASSERT_EQ(rows[y * stride], 0) << name << ": row " << y << " is filtered";
        for (size_t x = 0; x < png.width; ++x)
            png.rgba.push_back(be32(rows, y * stride + 1 + 4 * x));
    }
}

} // namespace

TEST(ApplicationIcons, AreSquareEightBitRgbaPngsAtEverySize)
{
    for (int size : SIZES) {
        Png png;
        ASSERT_NO_FATAL_FAILURE(readPng("icons/zentrik-" + std::to_string(size) + ".png", png));
        EXPECT_EQ(png.width, static_cast<uint32_t>(size));
        EXPECT_EQ(png.height, static_cast<uint32_t>(size));
        EXPECT_EQ(png.bitDepth, 8);
        EXPECT_EQ(png.colourType, 6) << "RGB with alpha";
        EXPECT_EQ(png.interlace, 0);
    }
}

TEST(ApplicationIcons, SmallestIsTheWindowIconClearWhereItsMaskIs)
{
    Png png;
    ASSERT_NO_FATAL_FAILURE(readPng("icons/zentrik-32.png", png));
    const IconImage bear = windowIconImage();
    ASSERT_EQ(png.rgba.size(), bear.indexes.size());
    for (size_t i = 0; i < png.rgba.size(); ++i) {
        const uint32_t expected = bear.transparent[i] ? 0 : bear.palette[bear.indexes[i]] << 8 | 0xFF;
        EXPECT_EQ(png.rgba[i], expected) << "pixel " << i % 32 << ", " << i / 32;
    }
}

TEST(ApplicationIcons, LargerSizesDrawEachSourcePixelAsAWholeSquare)
{
    Png small;
    ASSERT_NO_FATAL_FAILURE(readPng("icons/zentrik-32.png", small));
    for (int size : SIZES) {
        Png large;
        ASSERT_NO_FATAL_FAILURE(readPng("icons/zentrik-" + std::to_string(size) + ".png", large));
        ASSERT_EQ(large.rgba.size(), static_cast<size_t>(size) * size);
        const int scale = size / 32;
        int mismatches = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                mismatches += large.rgba[static_cast<size_t>(y) * size + x]
                    != small.rgba[static_cast<size_t>(y / scale) * 32 + x / scale];
        EXPECT_EQ(mismatches, 0) << size << " px";
    }
}
