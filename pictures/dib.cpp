#include "pictures/dib.h"

#include <stdexcept>

void ByteWriter::u8(uint8_t value)
{
    m_bytes.push_back(value);
}

void ByteWriter::u16(uint16_t value)
{
    u8(static_cast<uint8_t>(value));
    u8(static_cast<uint8_t>(value >> 8));
}

void ByteWriter::u32(uint32_t value)
{
    u16(static_cast<uint16_t>(value));
    u16(static_cast<uint16_t>(value >> 16));
}

void ByteWriter::i32(int32_t value)
{
    u32(static_cast<uint32_t>(value));
}

size_t dibRowBytes(int width, int bitsPerPixel)
{
    const size_t bits = static_cast<size_t>(width) * bitsPerPixel;
    return (bits + 31) / 32 * 4;
}

void putInfoHeader(ByteWriter& out, int width, int height, int bitsPerPixel, uint32_t imageBytes, uint32_t coloursUsed)
{
    out.u32(INFO_HEADER_SIZE);
    out.i32(width);
    out.i32(height); // positive: rows are stored bottom-up
    out.u16(1);      // planes
    out.u16(static_cast<uint16_t>(bitsPerPixel));
    out.u32(0); // BI_RGB, uncompressed
    out.u32(imageBytes);
    out.i32(0); // no preferred resolution
    out.i32(0);
    out.u32(coloursUsed);
    out.u32(0); // every colour is important
}

void putPalette(ByteWriter& out, std::span<const uint32_t> colours)
{
    for (uint32_t rgb : colours) {
        out.u8(static_cast<uint8_t>(rgb));
        out.u8(static_cast<uint8_t>(rgb >> 8));
        out.u8(static_cast<uint8_t>(rgb >> 16));
        out.u8(0);
    }
}

void putRows(ByteWriter& out, int width, int height, int bitsPerPixel, std::span<const uint8_t> values)
{
    if (values.size() != static_cast<size_t>(width) * height)
        throw std::invalid_argument("putRows: value count does not match the size");
    if (bitsPerPixel != 1 && bitsPerPixel != 4 && bitsPerPixel != 8)
        throw std::invalid_argument("putRows: unsupported depth");
    const size_t rowBytes = dibRowBytes(width, bitsPerPixel);
    const int perByte = 8 / bitsPerPixel;
    const unsigned mask = (1u << bitsPerPixel) - 1;
    for (int y = height - 1; y >= 0; --y) {
        std::vector<uint8_t> row(rowBytes, 0);
        for (int x = 0; x < width; ++x) {
            const unsigned value = values[static_cast<size_t>(y) * width + x] & mask;
            const int shift = 8 - bitsPerPixel * (x % perByte + 1);
            row[static_cast<size_t>(x / perByte)] |= static_cast<uint8_t>(value << shift);
        }
        for (uint8_t byte : row)
            out.u8(byte);
    }
}
