#include "pictures/icofile.h"

#include "pictures/dib.h"

#include <stdexcept>

std::vector<uint8_t> encodeIco(const IconImage& image)
{
    const size_t area = static_cast<size_t>(image.size) * image.size;
    if (image.size <= 0 || image.size > 255 || image.indexes.size() != area || image.transparent.size() != area)
        throw std::invalid_argument("encodeIco: pixel count does not match the size");
    if ((image.bitsPerPixel != 4 && image.bitsPerPixel != 8) || image.palette.size() != (1u << image.bitsPerPixel))
        throw std::invalid_argument("encodeIco: palette does not match the depth");

    const auto colourBytes = static_cast<uint32_t>(dibRowBytes(image.size, image.bitsPerPixel) * image.size);
    const auto maskBytes = static_cast<uint32_t>(dibRowBytes(image.size, 1) * image.size);
    const auto imageBytes
        = static_cast<uint32_t>(INFO_HEADER_SIZE + 4 * image.palette.size() + colourBytes + maskBytes);
    constexpr uint32_t DIRECTORY_SIZE = 6 + 16;

    ByteWriter out;
    out.u16(0); // reserved
    out.u16(1); // resource type: icon
    out.u16(1); // one image
    out.u8(static_cast<uint8_t>(image.size));
    out.u8(static_cast<uint8_t>(image.size));
    // The directory's colour count byte holds 0 when there are 256 or more.
    out.u8(image.palette.size() >= 256 ? 0 : static_cast<uint8_t>(image.palette.size()));
    out.u8(0);  // reserved
    out.u16(1); // planes
    out.u16(static_cast<uint16_t>(image.bitsPerPixel));
    out.u32(imageBytes);
    out.u32(DIRECTORY_SIZE);

    // Inside an icon the bitmap header counts the colour image and the mask
    // together, so it states twice the height.
    putInfoHeader(out, image.size, 2 * image.size, image.bitsPerPixel, colourBytes + maskBytes, 0);
    putPalette(out, image.palette);
    putRows(out, image.size, image.size, image.bitsPerPixel, image.indexes);
    putRows(out, image.size, image.size, 1, image.transparent);
    return out.take();
}
