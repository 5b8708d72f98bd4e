#include "pictures/pngfile.h"

#include <png.h>

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
                                      std::span<const uint32_t> palette)
{
    if (width <= 0 || height <= 0 || indexes.size() != static_cast<size_t>(width) * height)
        throw std::invalid_argument("encodeIndexedPng: pixel count does not match the size");
    if (palette.empty() || palette.size() > 16)
        throw std::invalid_argument("encodeIndexedPng: the palette must hold 1 to 16 colours");
    if (std::any_of(indexes.begin(), indexes.end(), [&](uint8_t index) { return index >= palette.size(); }))
        throw std::invalid_argument("encodeIndexedPng: an index beyond the palette");

    std::vector<uint8_t> colourMap;
    for (uint32_t rgb : palette)
        colourMap.insert(colourMap.end(),
                         {static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8), static_cast<uint8_t>(rgb)});
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    // Up to 16 colours, libpng packs two pixels a byte.
    image.format = PNG_FORMAT_RGB_COLORMAP;
    image.colormap_entries = static_cast<png_uint_32>(palette.size());
    return writePng(image, indexes.data(), colourMap.data());
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
