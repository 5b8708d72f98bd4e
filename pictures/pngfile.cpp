#include "pictures/pngfile.h"

#include <png.h>
#include <zlib.h>

#include <csetjmp>

#include <algorithm>
#include <stdexcept>
#include <string>

namespace {

// libpng's simplified writer: a first pass with no buffer gives the size, the
// second writes the file.
std::vector<uint8_t> writePng(png_image& image, const void* pixels, const void* colourMap)
{
    png_alloc_size_t size = 0;
    const auto write = [&](void* memory) {
        if (png_image_write_to_memory(&image, memory, &size, 0, pixels, 0, colourMap) == 0)
            throw std::runtime_error(std::string("encoding a PNG: ") + image.message);
    };
    write(nullptr);
    std::vector<uint8_t> out(size);
    write(out.data());
    out.resize(size);
    return out;
}

// libpng's full writer, for what its simplified one cannot choose: the
// strongest compression, no row filter (best for a handful of colours) and
// zlib's `strategy`. `rows` holds two pixels a byte.
std::vector<uint8_t> writePalettePng(int width, int height, const std::vector<png_byte>& rows, size_t stride,
                                     const std::vector<png_color>& colours, const std::vector<png_byte>& alphas,
                                     int strategy)
{
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        throw std::runtime_error("encoding a PNG: out of memory");
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("encoding a PNG: libpng failed");
    }
    png_set_write_fn(
        png, &out,
        [](png_structp writer, png_bytep data, png_size_t size) {
            auto* bytes = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(writer));
            bytes->insert(bytes->end(), data, data + size);
        },
        nullptr);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 4,
                 PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_PLTE(png, info, colours.data(), static_cast<int>(colours.size()));
    if (!alphas.empty())
        png_set_tRNS(png, info, alphas.data(), static_cast<int>(alphas.size()), nullptr);
    png_set_compression_level(png, 9);
    png_set_compression_strategy(png, strategy);
    png_set_filter(png, 0, PNG_FILTER_NONE);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y)
        png_write_row(png, rows.data() + y * stride);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

} // namespace

std::vector<uint8_t> encodePng(int width, int height, std::span<const uint32_t> rgba)
{
    if (width <= 0 || height <= 0 || rgba.size() != static_cast<size_t>(width) * height)
        throw std::invalid_argument("encodePng: pixel count does not match the size");

    // libpng's simplified writer takes the channels as bytes in R, G, B, A order.
    std::vector<uint8_t> bytes;
    bytes.reserve(4 * rgba.size());
    for (uint32_t pixel : rgba)
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes.push_back(static_cast<uint8_t>(pixel >> shift));

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGBA;
    return writePng(image, bytes.data(), nullptr);
}

std::vector<uint8_t> encodeIndexedPng(int width, int height, std::span<const uint8_t> indexes,
                                      std::span<const uint32_t> palette, std::optional<size_t> clear)
{
    if (width <= 0 || height <= 0 || indexes.size() != static_cast<size_t>(width) * height)
        throw std::invalid_argument("encodeIndexedPng: pixel count does not match the size");
    if (palette.empty() || palette.size() > 16)
        throw std::invalid_argument("encodeIndexedPng: the palette must hold 1 to 16 colours");
    if (std::any_of(indexes.begin(), indexes.end(), [&](uint8_t index) { return index >= palette.size(); }))
        throw std::invalid_argument("encodeIndexedPng: an index beyond the palette");
    if (clear && *clear >= palette.size())
        throw std::invalid_argument("encodeIndexedPng: the clear entry is beyond the palette");

    std::vector<png_color> colours;
    for (uint32_t rgb : palette)
        colours.push_back(
            {static_cast<png_byte>(rgb >> 16), static_cast<png_byte>(rgb >> 8), static_cast<png_byte>(rgb)});
    // Only entries up to the clear one need an alpha; the rest are opaque.
    std::vector<png_byte> alphas;
    if (clear) {
        alphas.assign(*clear + 1, 0xFF);
        alphas[*clear] = 0;
    }
    // Two pixels a byte, the left one in the high half.
    const size_t stride = (static_cast<size_t>(width) + 1) / 2;
    std::vector<png_byte> rows(stride * height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            rows[y * stride + x / 2] |= indexes[static_cast<size_t>(y) * width + x] << (x % 2 == 0 ? 4 : 0);

    // The smallest of zlib's ways: matching runs suits a few flat colours,
    // counting alone suits the background's noise (a seventh smaller).
    std::vector<uint8_t> smallest;
    for (int strategy : {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY}) {
        std::vector<uint8_t> encoded = writePalettePng(width, height, rows, stride, colours, alphas, strategy);
        if (smallest.empty() || encoded.size() < smallest.size())
            smallest = std::move(encoded);
    }
    return smallest;
}

std::vector<uint8_t> encodeIconPng(const IconImage& image, int scale)
{
    const size_t area = static_cast<size_t>(image.size) * image.size;
    if (image.size <= 0 || image.indexes.size() != area || image.transparent.size() != area)
        throw std::invalid_argument("encodeIconPng: pixel count does not match the size");
    if (scale < 1)
        throw std::invalid_argument("encodeIconPng: the scale must be at least 1");

    const int size = image.size * scale;
    std::vector<uint32_t> rgba(static_cast<size_t>(size) * size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const size_t from = static_cast<size_t>(y / scale) * image.size + x / scale;
            const uint32_t rgb = image.palette.at(image.indexes[from]);
            rgba[static_cast<size_t>(y) * size + x] = image.transparent[from] ? 0 : rgb << 8 | 0xFF;
        }
    return encodePng(size, size, rgba);
}
