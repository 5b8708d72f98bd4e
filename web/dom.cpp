#include "web/dom.h"

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

void listen(val target, const char* type, const char* handler)
{
    target.call<void>("addEventListener", val(type), val::module_property(handler));
}

std::string px(double pixels)
{
    char text[32];
    std::snprintf(text, sizeof text, "%gpx", pixels);
    return text;
}

void mark(const char* name)
{
    val::global("performance").call<void>("mark", std::string("zentrik-") + name);
}

const val& CanvasPictures::source(const PicturePtr& picture)
{
    Converted& entry = converted(picture);
    if (entry.canvas.isNull()) {
        entry.canvas = val::global("document").call<val>("createElement", val("canvas"));
        entry.canvas.set("width", picture->width());
        entry.canvas.set("height", picture->height());
        entry.canvas.call<val>("getContext", val("2d")).call<void>("putImageData", entry.imageData, 0, 0);
    }
    return entry.canvas;
}

bool CanvasPictures::hasSource(const PicturePtr& picture) const
{
    const auto found = m_converted.find(picture.get());
    return found != m_converted.end() && found->second.picture.lock() == picture && !found->second.canvas.isNull();
}

CanvasPictures::Converted& CanvasPictures::converted(const PicturePtr& picture)
{
    const auto found = m_converted.find(picture.get());
    if (found != m_converted.end() && found->second.picture.lock() == picture)
        return found->second;
    // The rules load a picture file anew for each stroke: forget the pictures
    // no control shows any more before the cache grows.
    if (m_converted.size() > 64)
        std::erase_if(m_converted, [](const auto& kept) { return kept.second.picture.expired(); });

    // The canvas wants straight R, G, B, A bytes, a little-endian word each;
    // pictures hold premultiplied ARGB. Most pixels are opaque or clear, and
    // those need no division.
    const size_t area = static_cast<size_t>(picture->width()) * picture->height();
    std::vector<uint32_t> words(area);
    for (size_t i = 0; i < area; ++i) {
        const uint32_t pixel = picture->bits()[i];
        const uint32_t alpha = pixel >> 24;
        if (alpha == 0xFF)
            words[i] = 0xFF000000 | (pixel & 0xFF) << 16 | (pixel & 0xFF00) | (pixel >> 16 & 0xFF);
        else if (alpha != 0) {
            const auto straight = [&](int shift) { return (pixel >> shift & 0xFF) * 0xFF / alpha; };
            words[i] = alpha << 24 | straight(0) << 16 | straight(8) << 8 | straight(16);
        }
    }
    // A copy the ImageData owns: the page's memory may move as it grows.
    const val view = val(emscripten::typed_memory_view(4 * area, reinterpret_cast<const uint8_t*>(words.data())));
    const val owned = val::global("Uint8ClampedArray").new_(view);
    Converted& kept = m_converted[picture.get()];
    kept = Converted{.picture = picture,
                     .imageData = val::global("ImageData").new_(owned, picture->width(), picture->height())};
    return kept;
}
