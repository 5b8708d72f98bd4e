#include "bitmap.h"

#include <array>
#include <bit>
#include <cstring>
#include <vector>

namespace {

constexpr int32_t MAX_SIDE = 4096;
constexpr uint32_t INFO_HEADER_BYTES = 40;

// Bounds-checked little-endian reads over the file's bytes.
class Bytes {
public:
    Bytes(std::span<const uint8_t> bytes, const std::string& source)
        : m_bytes(bytes)
        , m_source(source)
    {
    }

    [[noreturn]] void fail(const std::string& reason) const { throw PictureLoadError(m_source, reason); }

    std::span<const uint8_t> range(uint64_t at, uint64_t count, const char* what) const
    {
        if (at > m_bytes.size() || count > m_bytes.size() - at)
            fail(std::string("truncated ") + what);
        return m_bytes.subspan(at, count);
    }
    uint32_t u8(uint64_t at) const { return range(at, 1, "header")[0]; }
    uint32_t u16(uint64_t at) const { return u8(at) | u8(at + 1) << 8; }
    uint32_t u32(uint64_t at) const { return u16(at) | u16(at + 2) << 16; }
    int32_t i32(uint64_t at) const { return static_cast<int32_t>(u32(at)); }

private:
    std::span<const uint8_t> m_bytes;
    const std::string& m_source;
};

// A device-independent bitmap: the info header, its palette and its rows, as
// a bitmap file holds it and as an icon holds its colour image.
struct Dib {
    int width = 0;
    int height = 0;
    bool bottomUp = true;
    uint32_t bitCount = 0;
    std::vector<uint32_t> palette; // 0xFFRRGGBB
    uint64_t pixelsAt = 0;         // the first stored row

    size_t stride() const { return (static_cast<size_t>(width) * bitCount + 31) / 32 * 4; }
    size_t row(int y) const { return bottomUp ? static_cast<size_t>(height - 1 - y) : static_cast<size_t>(y); }
};

// Reads the info header and palette at `at`. An icon's header counts the
// colour image and the mask together in its height.
Dib readDib(const Bytes& file, uint64_t at, bool icon)
{
    if (file.u32(at) < INFO_HEADER_BYTES)
        file.fail("unsupported bitmap header");
    Dib dib;
    dib.width = file.i32(at + 4);
    int32_t height = file.i32(at + 8);
    dib.bottomUp = height > 0;
    if (height < 0 && height != INT32_MIN)
        height = -height;
    if (icon)
        height /= 2;
    dib.height = height;
    dib.bitCount = file.u16(at + 14);
    if (dib.width <= 0 || dib.height <= 0 || dib.width > MAX_SIDE || dib.height > MAX_SIDE)
        file.fail("image " + std::to_string(dib.width) + " x " + std::to_string(dib.height) + " is empty or too large");
    if (file.u32(at + 16) != 0)
        file.fail("compressed bitmaps are not supported");
    if (dib.bitCount != 1 && dib.bitCount != 4 && dib.bitCount != 8)
        file.fail(std::to_string(dib.bitCount) + " bits per pixel are not supported");

    const uint32_t maxColours = 1u << dib.bitCount;
    const uint32_t used = file.u32(at + 32);
    if (used > maxColours)
        file.fail("palette larger than the depth allows");
    const uint32_t colours = used == 0 ? maxColours : used;
    const uint64_t paletteAt = at + file.u32(at);
    const auto entries = file.range(paletteAt, uint64_t{colours} * 4, "palette");
    for (uint32_t i = 0; i < colours; ++i) {
        const auto entry = entries.subspan(i * 4, 4); // blue, green, red, unused
        dib.palette.push_back(0xFF000000u | uint32_t{entry[2]} << 16 | uint32_t{entry[1]} << 8 | entry[0]);
    }
    dib.pixelsAt = paletteAt + uint64_t{colours} * 4;
    return dib;
}

// The colour index of pixel x in a row of `bitCount`-bit pixels, packed from
// the high bits of each byte down.
uint32_t indexAt(const uint8_t* row, int x, uint32_t bitCount)
{
    const size_t bit = static_cast<size_t>(x) * bitCount;
    return (row[bit / 8] >> (8 - bitCount - bit % 8)) & ((1u << bitCount) - 1);
}

std::vector<uint32_t> colourPixels(const Bytes& file, const Dib& dib)
{
    const auto rows = file.range(dib.pixelsAt, dib.stride() * static_cast<size_t>(dib.height), "pixel data");
    std::vector<uint32_t> pixels(static_cast<size_t>(dib.width) * static_cast<size_t>(dib.height));
    // A background is most of a million pixels. With a full 16-colour palette
    // no index can miss, and each byte becomes its two pixels in one store.
    const bool fast = dib.bitCount == 4 && dib.palette.size() == 16;
    std::array<uint64_t, 256> pairs{};
    if (fast) {
        for (uint32_t byte = 0; byte < 256; ++byte)
            pairs[byte] = dib.palette[byte >> 4] | uint64_t{dib.palette[byte & 0x0F]} << 32;
    }
    for (int y = 0; y < dib.height; ++y) {
        const uint8_t* row = rows.data() + dib.row(y) * dib.stride();
        uint32_t* out = pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(dib.width);
        int x = 0;
        if (fast) {
            for (; x + 1 < dib.width; x += 2) {
                if constexpr (std::endian::native == std::endian::little)
                    std::memcpy(out + x, &pairs[row[x / 2]], sizeof(uint64_t));
                else {
                    out[x] = static_cast<uint32_t>(pairs[row[x / 2]]);
                    out[x + 1] = static_cast<uint32_t>(pairs[row[x / 2]] >> 32);
                }
            }
        }
        for (; x < dib.width; ++x) {
            const uint32_t index = indexAt(row, x, dib.bitCount);
            if (index >= dib.palette.size())
                file.fail("pixel uses colour " + std::to_string(index) + " beyond the palette");
            out[x] = dib.palette[index];
        }
    }
    return pixels;
}

} // namespace

PicturePtr decodeBitmap(std::span<const uint8_t> bytes, const std::string& source)
{
    const Bytes file(bytes, source);
    if (bytes.size() < 2 || bytes[0] != 'B' || bytes[1] != 'M')
        file.fail("not a bitmap file");
    Dib dib = readDib(file, 14, false);
    dib.pixelsAt = file.u32(10); // the file header says where the rows begin
    std::vector<uint32_t> pixels = colourPixels(file, dib);
    return std::make_shared<Picture>(dib.width, dib.height, std::move(pixels), source);
}

PicturePtr decodeIcon(std::span<const uint8_t> bytes, const std::string& source)
{
    const Bytes file(bytes, source);
    if (bytes.size() < 6 || file.u16(0) != 0 || file.u16(2) != 1)
        file.fail("not an icon file");
    if (file.u16(4) == 0)
        file.fail("icon holds no image");
    const uint64_t imageAt = file.u32(6 + 12);
    const Dib dib = readDib(file, imageAt, true);
    std::vector<uint32_t> pixels = colourPixels(file, dib);

    // The mask follows the colour rows: a set bit is a transparent pixel.
    const size_t maskStride = (static_cast<size_t>(dib.width) + 31) / 32 * 4;
    const auto mask = file.range(dib.pixelsAt + dib.stride() * static_cast<size_t>(dib.height),
                                 maskStride * static_cast<size_t>(dib.height), "mask");
    for (int y = 0; y < dib.height; ++y) {
        const auto row = mask.subspan(dib.row(y) * maskStride, maskStride);
        for (int x = 0; x < dib.width; ++x) {
            if (indexAt(row.data(), x, 1) != 0)
                pixels[static_cast<size_t>(y) * static_cast<size_t>(dib.width) + static_cast<size_t>(x)] = 0;
        }
    }
    return std::make_shared<Picture>(dib.width, dib.height, std::move(pixels), source);
}
