#include "pictures/gifwriter.h"

#include <gif_lib.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

// giflib reports its colour resolution as bits per primary; our colours use all eight.
constexpr int COLOUR_RESOLUTION = 8;

struct MapDeleter {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

// Frees the handle if encoding stops early; the normal path closes it itself
// because closing writes the trailer and can fail.
struct GifDeleter {
    void operator()(GifFileType* gif) const
    {
        int error = 0;
        EGifCloseFile(gif, &error);
    }
};

int appendBytes(GifFileType* gif, const GifByteType* data, int length)
{
    auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
    out->insert(out->end(), data, data + length);
    return length;
}

[[noreturn]] void fail(const char* step, int error)
{
    const char* text = GifErrorString(error);
    throw std::runtime_error(std::string("GIF encoding failed at ") + step + ": "
                             + (text != nullptr ? text : "unknown error"));
}

bool isPowerOfTwo(size_t n)
{
    return n != 0 && (n & (n - 1)) == 0;
}

} // namespace

std::vector<uint8_t> encodeGif(int width, int height, std::span<const uint32_t> colours,
                               std::span<const uint8_t> indexes, int transparentIndex)
{
    if (width <= 0 || height <= 0 || indexes.size() != static_cast<size_t>(width) * height)
        throw std::invalid_argument("encodeGif: pixel count does not match the size");
    if (colours.size() < 2 || colours.size() > 256 || !isPowerOfTwo(colours.size()))
        throw std::invalid_argument("encodeGif: colour count must be a power of two from 2 to 256");

    std::vector<GifColorType> entries;
    for (uint32_t rgb : colours)
        entries.push_back(
            {static_cast<GifByteType>(rgb >> 16), static_cast<GifByteType>(rgb >> 8), static_cast<GifByteType>(rgb)});
    std::unique_ptr<ColorMapObject, MapDeleter> map(GifMakeMapObject(static_cast<int>(entries.size()), entries.data()));
    if (!map)
        throw std::bad_alloc();

    std::vector<uint8_t> out;
    int error = 0;
    std::unique_ptr<GifFileType, GifDeleter> gif(EGifOpen(&out, appendBytes, &error));
    if (!gif)
        fail("open", error);
    EGifSetGifVersion(gif.get(), true);
    if (EGifPutScreenDesc(gif.get(), width, height, COLOUR_RESOLUTION, 0, map.get()) == GIF_ERROR)
        fail("screen descriptor", gif->Error);

    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSAL_UNSPECIFIED;
    control.UserInputFlag = false;
    control.DelayTime = 0;
    control.TransparentColor = transparentIndex;
    GifByteType extension[4];
    const size_t extensionLength = EGifGCBToExtension(&control, extension);
    if (EGifPutExtension(gif.get(), GRAPHICS_EXT_FUNC_CODE, static_cast<int>(extensionLength), extension) == GIF_ERROR)
        fail("graphic control extension", gif->Error);

    if (EGifPutImageDesc(gif.get(), 0, 0, width, height, false, nullptr) == GIF_ERROR)
        fail("image descriptor", gif->Error);
    // EGifPutLine masks the pixels in place, so each row goes through a scratch copy.
    std::vector<GifPixelType> row(static_cast<size_t>(width));
    for (int y = 0; y < height; ++y) {
        const auto first = indexes.begin() + static_cast<std::ptrdiff_t>(y) * width;
        std::copy(first, first + width, row.begin());
        if (EGifPutLine(gif.get(), row.data(), width) == GIF_ERROR)
            fail("image data", gif->Error);
    }
    if (EGifCloseFile(gif.release(), &error) == GIF_ERROR)
        fail("close", error);
    return out;
}
