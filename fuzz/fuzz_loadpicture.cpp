// Any bytes given to the GIF decoder, which reads the picture files, either
// decode to a sound picture or are refused with PictureLoadError; anything
// else (a crash, a sanitizer report, another exception) is a fault.

#include "controls/gifdecoder.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    try {
        const PicturePtr picture = decodeGif({data, size}, "fuzz input");
        if (picture->width() <= 0 || picture->height() <= 0)
            std::abort();
        // Both corners lie inside the pixels the picture holds; the sanitizer
        // checks the reads.
        volatile uint32_t corners = picture->pixel(0, 0) | picture->pixel(picture->width() - 1, picture->height() - 1);
        (void)corners;
    } catch (const PictureLoadError&) {
        // Refused: the game reports it and goes on.
    }
    return 0;
}
