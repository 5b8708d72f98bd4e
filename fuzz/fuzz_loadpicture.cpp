// Any bytes given to the picture decoders either decode to a sound picture or
// are refused with PictureLoadError; anything else (a crash, a sanitizer
// report, another exception) is a fault. Each input goes to all three: the
// GIF decoder for the picture files, and the bitmap and icon readers for the
// pictures built into the program.

#include "bitmap.h"
#include "gifdecoder.h"
#include "picture.h"

#include <cstdint>
#include <cstdlib>

namespace {

void decodeOrRefuse(PicturePtr (*decode)(std::span<const uint8_t>, const std::string&), const uint8_t* data,
                    size_t size)
{
    try {
        const PicturePtr picture = decode({data, size}, "fuzz input");
        if (picture->width() <= 0 || picture->height() <= 0)
            std::abort();
        // Both corners lie inside the pixels the picture holds; the sanitizer
        // checks the reads.
        volatile uint32_t corners = picture->pixel(0, 0) | picture->pixel(picture->width() - 1, picture->height() - 1);
        (void)corners;
    } catch (const PictureLoadError&) {
        // Refused: the game reports it and goes on.
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    decodeOrRefuse(decodeGif, data, size);
    decodeOrRefuse(decodeBitmap, data, size);
    decodeOrRefuse(decodeIcon, data, size);
    return 0;
}
