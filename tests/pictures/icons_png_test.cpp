// The desktop's application icons, read back from the PNG files the build generated.

#include "pictures/icons.h"
#include "tests/support/picturefiles.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

namespace {

// The desktop's sizes, then the installed page's.
constexpr std::array<int, 6> SIZES = {32, 64, 128, 256, 192, 512};

struct Png {
    uint32_t width = 0;
    uint32_t height = 0;
    int bitDepth = 0;
    int colourType = 0;
    int interlace = 0;
    std::vector<uint32_t> rgba; // 0xRRGGBBAA, top row first; read for 8-bit RGBA only
};

struct Source {
    std::span<const uint8_t> bytes;
    size_t at = 0;
};

void readFromSource(png_structp png, png_bytep out, size_t length)
{
    auto& source = *static_cast<Source*>(png_get_io_ptr(png));
    if (length > source.bytes.size() - source.at)
        png_error(png, "the file ends early");
    std::memcpy(out, source.bytes.data() + source.at, length);
    source.at += length;
}

// Decodes with libpng, which also checks every chunk's checksum. libpng
// reports errors by longjmp back here, so this frame changes no local of its
// own after setjmp; the rows go straight into `out`, the message into `error`.
bool decodePng(std::span<const uint8_t> bytes, Png& out, std::string& error)
{
    png_structp png = png_create_read_struct(
        PNG_LIBPNG_VER_STRING, &error,
        [](png_structp failed, png_const_charp message) {
            *static_cast<std::string*>(png_get_error_ptr(failed)) = message;
            png_longjmp(failed, 1);
        },
        nullptr);
    png_infop info = png_create_info_struct(png);
    Source source{bytes};
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &source, readFromSource);
    png_read_info(png, info);
    out.width = png_get_image_width(png, info);
    out.height = png_get_image_height(png, info);
    out.bitDepth = png_get_bit_depth(png, info);
    out.colourType = png_get_color_type(png, info);
    out.interlace = png_get_interlace_type(png, info);
    if (out.bitDepth == 8 && out.colourType == PNG_COLOR_TYPE_RGBA && out.interlace == PNG_INTERLACE_NONE) {
        out.rgba.resize(static_cast<size_t>(out.width) * out.height);
        for (uint32_t y = 0; y < out.height; ++y)
            png_read_row(png, reinterpret_cast<png_bytep>(out.rgba.data() + static_cast<size_t>(y) * out.width),
                         nullptr);
        png_read_end(png, nullptr);
    }
    png_destroy_read_struct(&png, &info, nullptr);
    // Each pixel arrived as the bytes R, G, B, A.
    for (uint32_t& pixel : out.rgba) {
        const auto* channel = reinterpret_cast<const uint8_t*>(&pixel);
        pixel = uint32_t{channel[0]} << 24 | uint32_t{channel[1]} << 16 | uint32_t{channel[2]} << 8 | channel[3];
    }
    return true;
}

void readPng(const std::string& name, Png& png)
{
    const auto bytes = readPictureFile(name);
    std::string error;
    ASSERT_TRUE(decodePng(bytes, png, error)) << name << ": " << error;
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
        EXPECT_EQ(png.colourType, PNG_COLOR_TYPE_RGBA);
        EXPECT_EQ(png.interlace, PNG_INTERLACE_NONE);
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
