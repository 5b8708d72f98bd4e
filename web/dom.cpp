#include "web/dom.h"

#include "design/colours.h"

#include <cstdio>
#include <vector>

using emscripten::val;

namespace {

// Copies RGBA bytes into an ImageData the canvas can take.
val imageData(const std::vector<uint8_t>& rgba, int width, int height)
{
    const val bytes
        = val::global("Uint8ClampedArray").new_(val(emscripten::typed_memory_view(rgba.size(), rgba.data())));
    return val::global("ImageData").new_(bytes, width, height);
}

} // namespace

val addElement(val& parent, const char* tag, const std::string& id)
{
    val element = val::global("document").call<val>("createElement", val(tag));
    if (!id.empty())
        element.set("id", id);
    parent.call<void>("appendChild", element);
    return element;
}

std::string px(double pixels)
{
    char text[32];
    std::snprintf(text, sizeof text, "%gpx", pixels);
    return text;
}

std::string cssColour(Colour colour)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%06x", static_cast<unsigned>(toRgb(colour)));
    return text;
}

void drawPicture(val& canvas, const Picture* picture)
{
    val context = canvas.call<val>("getContext", val("2d"));
    context.call<void>("clearRect", 0, 0, canvas["width"], canvas["height"]);
    if (!picture)
        return;
    // The canvas wants straight RGBA; pictures hold premultiplied ARGB.
    std::vector<uint8_t> rgba(static_cast<size_t>(picture->width()) * picture->height() * 4);
    uint8_t* out = rgba.data();
    for (int y = 0; y < picture->height(); ++y) {
        for (int x = 0; x < picture->width(); ++x, out += 4) {
            const uint32_t pixel = picture->pixel(x, y);
            const uint32_t alpha = pixel >> 24;
            if (alpha == 0)
                continue;
            for (int channel = 0; channel < 3; ++channel)
                out[channel] = static_cast<uint8_t>(((pixel >> (16 - 8 * channel)) & 0xFF) * 255 / alpha);
            out[3] = static_cast<uint8_t>(alpha);
        }
    }
    context.call<void>("putImageData", imageData(rgba, picture->width(), picture->height()), 0, 0);
}
