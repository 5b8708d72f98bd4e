#include "web/dom.h"

#include "design/colours.h"

#include <cstdio>
#include <vector>

using emscripten::val;

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

void putPixels(val& context, const uint32_t* pixels, int width, int height, int left, int top)
{
    // A view of the page's memory, not a copy: the canvas copies it anyway.
    const val bytes = val::global("Uint8ClampedArray")
                          .new_(val::module_property("HEAPU8")["buffer"], reinterpret_cast<uintptr_t>(pixels),
                                static_cast<size_t>(width) * height * 4);
    context.call<void>("putImageData", val::global("ImageData").new_(bytes, width, height), left, top);
}

void mark(const char* name)
{
    val::global("performance").call<void>("mark", std::string("zentrik-") + name);
}

void drawPicture(val& canvas, const Picture* picture)
{
    val context = canvas.call<val>("getContext", val("2d"));
    context.call<void>("clearRect", 0, 0, canvas["width"], canvas["height"]);
    if (!picture)
        return;
    // The canvas wants straight RGBA; pictures hold premultiplied ARGB.
    std::vector<uint32_t> pixels(static_cast<size_t>(picture->width()) * picture->height());
    uint32_t* out = pixels.data();
    for (int y = 0; y < picture->height(); ++y) {
        for (int x = 0; x < picture->width(); ++x, ++out) {
            const uint32_t pixel = picture->pixel(x, y);
            const uint32_t alpha = pixel >> 24;
            if (alpha == 0)
                continue;
            const auto straight = [&](int shift) { return (pixel >> shift & 0xFF) * 0xFF / alpha; };
            *out = canvasPixel(straight(16), straight(8), straight(0), alpha);
        }
    }
    putPixels(context, pixels.data(), picture->width(), picture->height(), 0, 0);
}
