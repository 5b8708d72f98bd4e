#include "pictures/pngfile.h"

#include <zlib.h>

#include <array>
#include <stdexcept>
#include <string_view>

namespace {

constexpr std::array<uint8_t, 8> PNG_SIGNATURE = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// PNG numbers are big-endian, unlike the Windows formats beside this file.
void putU32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

void putChunk(std::vector<uint8_t>& out, std::string_view type, std::span<const uint8_t> data)
{
    putU32(out, static_cast<uint32_t>(data.size()));
    const size_t typeAt = out.size();
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    // The checksum covers the type and the data but not the length.
    const uLong crc = crc32(crc32(0, nullptr, 0), out.data() + typeAt, static_cast<uInt>(out.size() - typeAt));
    putU32(out, static_cast<uint32_t>(crc));
}

} // namespace

std::vector<uint8_t> encodePng(int width, int height, std::span<const uint32_t> rgba)
{
    if (width <= 0 || height <= 0 || rgba.size() != static_cast<size_t>(width) * height)
        throw std::invalid_argument("encodePng: pixel count does not match the size");

    std::vector<uint8_t> header;
    putU32(header, static_cast<uint32_t>(width));
    putU32(header, static_cast<uint32_t>(height));
    header.insert(header.end(),
                  {
                      8, // bits per channel
                      6, // colour type: RGB with alpha
                      0, // deflate
                      0, // adaptive filtering
                      0, // not interlaced
                  });

    // Every row starts with its filter type; none (0) keeps the bytes a plain
    // copy of the pixels, and zlib still packs the flat icon colours well.
    std::vector<uint8_t> rows;
    rows.reserve(static_cast<size_t>(height) * (1 + 4 * static_cast<size_t>(width)));
    for (int y = 0; y < height; ++y) {
        rows.push_back(0);
        for (int x = 0; x < width; ++x)
            putU32(rows, rgba[static_cast<size_t>(y) * width + x]);
    }
    uLongf deflatedSize = compressBound(static_cast<uLong>(rows.size()));
    std::vector<uint8_t> deflated(deflatedSize);
    if (compress2(deflated.data(), &deflatedSize, rows.data(), static_cast<uLong>(rows.size()), Z_BEST_COMPRESSION)
        != Z_OK)
        throw std::runtime_error("encodePng: zlib could not compress the image");
    deflated.resize(deflatedSize);

    std::vector<uint8_t> out(PNG_SIGNATURE.begin(), PNG_SIGNATURE.end());
    putChunk(out, "IHDR", header);
    putChunk(out, "IDAT", deflated);
    putChunk(out, "IEND", {});
    return out;
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
