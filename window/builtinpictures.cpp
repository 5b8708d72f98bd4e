#include "window/builtinpictures.h"

#include <QImageReader>
#include <QResource>

#include <array>
#include <cstring>

namespace {

std::string resourcePath(const std::string& name)
{
    return BUILT_IN_PICTURES + name;
}

uint32_t littleEndian(const uint8_t* at, int bytes)
{
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = value << 8 | at[i];
    return value;
}

} // namespace

std::span<const uint8_t> builtInBytes(const std::string& name)
{
    // Stored uncompressed (window/CMakeLists.txt), so the resource's data is
    // the program's own memory, which lasts as long as the program.
    const QResource resource(QString::fromStdString(resourcePath(name)));
    if (!resource.isValid() || resource.compressionAlgorithm() != QResource::NoCompression)
        return {};
    return {resource.data(), static_cast<size_t>(resource.size())};
}

QImage builtInImage(const std::string& name)
{
    const std::string path = resourcePath(name);
    QImageReader reader(QString::fromStdString(path));
    QImage image = reader.read();
    if (image.isNull())
        throw PictureLoadError(path, reader.errorString().toStdString());
    return image;
}

QImage decodeBitmap4(std::span<const uint8_t> bytes, const std::string& source)
{
    constexpr size_t FILE_HEADER = 14;
    constexpr size_t INFO_HEADER = 40;
    constexpr int MAX_SIDE = 4096;
    if (bytes.size() < FILE_HEADER + INFO_HEADER || bytes[0] != 'B' || bytes[1] != 'M')
        throw PictureLoadError(source, "not a Windows bitmap");
    const uint8_t* data = bytes.data();
    const size_t pixelsAt = littleEndian(data + 10, 4);
    const size_t headerSize = littleEndian(data + 14, 4);
    const auto width = static_cast<int32_t>(littleEndian(data + 18, 4));
    const auto height = static_cast<int32_t>(littleEndian(data + 22, 4));
    if (headerSize < INFO_HEADER || littleEndian(data + 26, 2) != 1 || littleEndian(data + 28, 2) != 4
        || littleEndian(data + 30, 4) != 0)
        throw PictureLoadError(source, "not an uncompressed bitmap of 4 bits per pixel");
    // A negative height stores the rows from the top down.
    if (width <= 0 || width > MAX_SIDE || height == 0 || height < -MAX_SIDE || height > MAX_SIDE)
        throw PictureLoadError(source, "not 1 to 4096 pixels a side");
    const int rows = height < 0 ? -height : height;
    size_t colours = littleEndian(data + 46, 4);
    if (colours == 0)
        colours = 16;
    const size_t paletteAt = FILE_HEADER + headerSize;
    const size_t stride = (static_cast<size_t>(width) * 4 + 31) / 32 * 4;
    if (colours > 16 || paletteAt > bytes.size() || colours * 4 > bytes.size() - paletteAt || pixelsAt > bytes.size()
        || stride * static_cast<size_t>(rows) > bytes.size() - pixelsAt)
        throw PictureLoadError(source, "cut short or out of shape");

    // Blue, green, red and a spare byte each; an index past the palette is black.
    std::array<QRgb, 16> palette{};
    palette.fill(qRgb(0, 0, 0));
    for (size_t i = 0; i < colours; ++i) {
        const uint8_t* entry = data + paletteAt + i * 4;
        palette[i] = qRgb(entry[2], entry[1], entry[0]);
    }
    // Each byte holds two pixels, the left one in its high half.
    std::array<std::array<QRgb, 2>, 256> pairs{};
    for (size_t byte = 0; byte < pairs.size(); ++byte)
        pairs[byte] = {palette[byte >> 4], palette[byte & 0x0F]};
    QImage image(width, rows, QImage::Format_RGB32);
    if (image.isNull())
        throw PictureLoadError(source, "no memory for its pixels");
    const int whole = width / 2;
    for (int y = 0; y < rows; ++y) {
        const uint8_t* row = data + pixelsAt + stride * static_cast<size_t>(height > 0 ? rows - 1 - y : y);
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int i = 0; i < whole; ++i)
            std::memcpy(line + 2 * i, pairs[row[i]].data(), sizeof(pairs[0]));
        if (width % 2)
            line[width - 1] = pairs[row[whole]][0];
    }
    return image;
}

QImage builtInBitmap(const std::string& name)
{
    const std::span<const uint8_t> bytes = builtInBytes(name);
    if (bytes.empty())
        throw PictureLoadError(resourcePath(name), "not built into the program");
    return decodeBitmap4(bytes, resourcePath(name));
}
