#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

// Little-endian output for the headers of Windows bitmaps and icons.
class ByteWriter {
public:
    void u8(uint8_t value);
    void u16(uint16_t value);
    void u32(uint32_t value);
    void i32(int32_t value);

    const std::vector<uint8_t>& bytes() const { return m_bytes; }
    std::vector<uint8_t> take() { return std::move(m_bytes); }

private:
    std::vector<uint8_t> m_bytes;
};

constexpr uint32_t INFO_HEADER_SIZE = 40;

/** Bytes in one row of a device-independent bitmap: rows are padded to four bytes. */
size_t dibRowBytes(int width, int bitsPerPixel);

/** Writes a BITMAPINFOHEADER for an uncompressed (BI_RGB) bitmap. */
void putInfoHeader(ByteWriter& out, int width, int height, int bitsPerPixel, uint32_t imageBytes, uint32_t coloursUsed);

/** Writes 0xRRGGBB colours as RGBQUAD palette entries (blue, green, red, 0). */
void putPalette(ByteWriter& out, std::span<const uint32_t> colours);

/** Writes width x height values (top row first) as bottom-up packed rows, leftmost pixel in the high bits. */
void putRows(ByteWriter& out, int width, int height, int bitsPerPixel, std::span<const uint8_t> values);
