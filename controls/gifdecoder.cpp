#include "controls/gifdecoder.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>

namespace {

// A limit that keeps a hostile file from costing much: the decoded picture
// takes four bytes a pixel.
constexpr int MAX_SIDE = 4096;
// giflib keeps a record for every image it meets, so a file of endless tiny
// frames would grow without bound; no picture of ours has more than one.
constexpr int MAX_IMAGES = 1024;

// giflib pulls its input through this: the file's bytes held in memory.
struct MemoryReader {
    std::span<const uint8_t> bytes;
    size_t position = 0;
    bool ranOut = false; // some read asked for bytes past the end
};

int readFromMemory(GifFileType* gif, GifByteType* buffer, int length)
{
    auto* reader = static_cast<MemoryReader*>(gif->UserData);
    const size_t wanted = length > 0 ? static_cast<size_t>(length) : 0;
    const size_t count = std::min(wanted, reader->bytes.size() - reader->position);
    if (count > 0)
        std::memcpy(buffer, reader->bytes.data() + reader->position, count);
    reader->position += count;
    if (count < wanted) {
        // Zero what did not arrive, so giflib never looks at undefined bytes.
        std::memset(buffer + count, 0, wanted - count);
        reader->ranOut = true;
    }
    return static_cast<int>(count);
}

struct GifCloser {
    void operator()(GifFileType* gif) const { DGifCloseFile(gif, nullptr); }
};

unsigned littleEndian16(std::span<const uint8_t> bytes, size_t at)
{
    return bytes[at] | (bytes[at + 1] << 8);
}

// Row order of an interlaced image: every 8th row from 0, every 8th from 4,
// every 4th from 2, then every 2nd from 1.
std::vector<int> rowOrder(int height, bool interlaced)
{
    std::vector<int> rows;
    if (!interlaced) {
        for (int y = 0; y < height; ++y)
            rows.push_back(y);
        return rows;
    }
    constexpr int starts[] = {0, 4, 2, 1};
    constexpr int steps[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = starts[pass]; y < height; y += steps[pass])
            rows.push_back(y);
    return rows;
}

// Reads one GIF from memory. Only the first image is decoded; the rest of the
// file is still walked to its trailer, so a file cut short anywhere fails.
class GifDecoder {
public:
    GifDecoder(std::span<const uint8_t> bytes, const std::string& source)
        : m_reader{bytes}
        , m_source(source)
    {
    }

    PicturePtr decode();

private:
    [[noreturn]] void fail(const std::string& reason) const { throw PictureLoadError(m_source, reason); }
    [[noreturn]] void failGif(const std::string& what, int error) const;
    void checkSize(const char* what, int width, int height) const;
    void checkHeader() const;
    void readExtension();
    void readImage();
    void decodePixels(const GifImageDesc& image);
    void skipPixels();

    MemoryReader m_reader;
    std::string m_source;
    std::unique_ptr<GifFileType, GifCloser> m_gif;
    int m_images = 0;
    int m_transparent = NO_TRANSPARENT_COLOR;
    std::vector<uint32_t> m_pixels;
};

void GifDecoder::failGif(const std::string& what, int error) const
{
    if (m_reader.ranOut)
        fail("truncated " + what);
    switch (error) {
    case D_GIF_ERR_WRONG_RECORD: fail("unknown block in " + what);
    case D_GIF_ERR_IMAGE_DEFECT: fail("corrupt " + what);
    case D_GIF_ERR_EOF_TOO_SOON: fail(what + " ends too soon");
    case D_GIF_ERR_DATA_TOO_BIG: fail(what + " too long");
    case D_GIF_ERR_NOT_ENOUGH_MEM: fail("out of memory");
    default: break;
    }
    const char* text = GifErrorString(error);
    fail("bad " + what + (text != nullptr ? std::string(": ") + text : std::string()));
}

void GifDecoder::checkSize(const char* what, int width, int height) const
{
    const std::string size = std::to_string(width) + " x " + std::to_string(height);
    if (width <= 0 || height <= 0)
        fail(std::string(what) + " " + size + " is empty");
    if (width > MAX_SIDE || height > MAX_SIDE)
        fail(std::string(what) + " " + size + " exceeds " + std::to_string(MAX_SIDE) + " x "
             + std::to_string(MAX_SIDE));
}

// Checked by hand before giflib sees the file, so the reasons are precise and
// nothing is allocated for a screen we will refuse.
void GifDecoder::checkHeader() const
{
    const auto bytes = m_reader.bytes;
    if (bytes.size() > MAX_PICTURE_FILE_BYTES)
        fail("file larger than 16 MiB");
    if (bytes.empty())
        fail("file is empty");
    const auto signatureIs = [&](const char* signature) { return std::memcmp(bytes.data(), signature, 6) == 0; };
    if (bytes.size() < 6 || !(signatureIs("GIF87a") || signatureIs("GIF89a")))
        fail("not a GIF file");
    if (bytes.size() < 13) // signature and screen descriptor
        fail("truncated header");
    checkSize("screen", static_cast<int>(littleEndian16(bytes, 6)), static_cast<int>(littleEndian16(bytes, 8)));
}

PicturePtr GifDecoder::decode()
{
    checkHeader();
    int error = 0;
    m_gif.reset(DGifOpen(&m_reader, readFromMemory, &error));
    if (!m_gif)
        failGif("colour table", error);

    for (;;) {
        GifRecordType record = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(m_gif.get(), &record) == GIF_ERROR) {
            if (m_reader.ranOut)
                fail("file ends before its trailer");
            failGif("file", m_gif->Error);
        }
        if (record == TERMINATE_RECORD_TYPE)
            break;
        if (record == EXTENSION_RECORD_TYPE)
            readExtension();
        else if (record == IMAGE_DESC_RECORD_TYPE)
            readImage();
        else
            fail("unknown block");
    }
    if (m_images == 0)
        fail("no image");
    return std::make_shared<const Picture>(m_gif->SWidth, m_gif->SHeight, std::move(m_pixels), m_source);
}

void GifDecoder::readExtension()
{
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(m_gif.get(), &code, &block) == GIF_ERROR)
        failGif("extension", m_gif->Error);
    // A graphic control extension speaks for the image after it; only the
    // first image is shown, so only a block before it counts.
    if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr && m_images == 0) {
        GraphicsControlBlock control{};
        if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_ERROR)
            fail("bad graphic control extension");
        m_transparent = control.TransparentColor;
    }
    while (block != nullptr) {
        if (DGifGetExtensionNext(m_gif.get(), &block) == GIF_ERROR)
            failGif("extension", m_gif->Error);
    }
}

void GifDecoder::readImage()
{
    const bool described = DGifGetImageDesc(m_gif.get()) != GIF_ERROR;
    if (m_reader.ranOut)
        fail("truncated image descriptor");
    // The LZW code size is the last byte giflib read for the descriptor. GIF
    // allows 2 to 8; giflib itself only refuses 12 and up, as a read error.
    const uint8_t codeSize = m_reader.bytes[m_reader.position - 1];
    if (codeSize < 2 || codeSize > 8)
        fail("bad LZW code size " + std::to_string(codeSize));
    if (!described)
        failGif("image descriptor", m_gif->Error);
    if (++m_images > MAX_IMAGES)
        fail("more than " + std::to_string(MAX_IMAGES) + " images");
    const GifImageDesc& image = m_gif->Image;
    checkSize("image", image.Width, image.Height);
    if (image.Left + image.Width > m_gif->SWidth || image.Top + image.Height > m_gif->SHeight)
        fail("image " + std::to_string(image.Width) + " x " + std::to_string(image.Height) + " at left "
             + std::to_string(image.Left) + ", top " + std::to_string(image.Top) + " lies outside the "
             + std::to_string(m_gif->SWidth) + " x " + std::to_string(m_gif->SHeight) + " screen");
    if (m_images == 1)
        decodePixels(image);
    else
        skipPixels();
}

void GifDecoder::decodePixels(const GifImageDesc& image)
{
    const ColorMapObject* map = image.ColorMap != nullptr ? image.ColorMap : m_gif->SColorMap;
    if (map == nullptr)
        fail("no colour table");
    const int screenWidth = m_gif->SWidth;
    m_pixels.assign(static_cast<size_t>(screenWidth) * m_gif->SHeight, 0);

    std::vector<GifPixelType> line(static_cast<size_t>(image.Width));
    for (int y : rowOrder(image.Height, image.Interlace)) {
        if (DGifGetLine(m_gif.get(), line.data(), image.Width) == GIF_ERROR)
            failGif("image data", m_gif->Error);
        uint32_t* row = m_pixels.data() + static_cast<size_t>(image.Top + y) * screenWidth + image.Left;
        for (int x = 0; x < image.Width; ++x) {
            const int index = line[static_cast<size_t>(x)];
            if (index >= map->ColorCount)
                fail("colour index " + std::to_string(index) + " outside the " + std::to_string(map->ColorCount)
                     + "-entry colour table");
            if (index == m_transparent)
                continue; // premultiplied transparent black
            const GifColorType& colour = map->Colors[index];
            row[x] = 0xFF000000u | (uint32_t{colour.Red} << 16) | (uint32_t{colour.Green} << 8) | colour.Blue;
        }
    }
}

// Later images are not shown; walking their data blocks costs no decoding.
void GifDecoder::skipPixels()
{
    int codeSize = 0;
    GifByteType* block = nullptr;
    if (DGifGetCode(m_gif.get(), &codeSize, &block) == GIF_ERROR)
        failGif("image data", m_gif->Error);
    while (block != nullptr) {
        if (DGifGetCodeNext(m_gif.get(), &block) == GIF_ERROR)
            failGif("image data", m_gif->Error);
    }
}

} // namespace

PicturePtr decodeGif(std::span<const uint8_t> bytes, const std::string& source)
{
    return GifDecoder(bytes, source).decode();
}
