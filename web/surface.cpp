#include "web/surface.h"

#include "controls/pixels.h"
#include "pictures/background.h"
#include "web/dom.h"

#include <algorithm>
#include <memory>

using emscripten::val;

namespace {

// A premultiplied 0xAARRGGBB picture pixel over an opaque canvas pixel.
uint32_t over(uint32_t picture, uint32_t ground)
{
    const uint32_t alpha = picture >> 24;
    if (alpha == 0xFF)
        return canvasPixel(picture >> 16 & 0xFF, picture >> 8 & 0xFF, picture & 0xFF);
    if (alpha == 0)
        return ground;
    const auto channel = [&](int picturesShift, int groundShift) {
        return (picture >> picturesShift & 0xFF) + (ground >> groundShift & 0xFF) * (0xFF - alpha) / 0xFF;
    };
    return canvasPixel(channel(16, 0), channel(8, 8), channel(0, 16));
}

} // namespace

Surface::Surface(val canvas, const Scene& scene, int width, int height)
    : m_canvas(std::move(canvas))
    , m_context(val::null())
    , m_scene(scene)
    , m_width(width)
    , m_height(height)
{
    m_canvas.set("width", width);
    m_canvas.set("height", height);
    m_context = m_canvas.call<val>("getContext", val("2d"));

    // The background picture is the generator's noise tile repeated; only
    // the tile is kept, and each painted rectangle is taken from it.
    const std::vector<uint8_t> indexes = makeBackgroundTile();
    const auto palette = backgroundPalette();
    m_tile.resize(indexes.size());
    std::transform(indexes.begin(), indexes.end(), m_tile.begin(), [&palette](uint8_t index) {
        const uint32_t rgb = palette[index];
        return canvasPixel(rgb >> 16, rgb >> 8 & 0xFF, rgb & 0xFF);
    });
}

void Surface::setScale(double scale)
{
    val style = m_canvas["style"];
    style.set("width", px(m_width * scale));
    style.set("height", px(m_height * scale));
}

void Surface::paint(int left, int top, int width, int height)
{
    const int right = std::min(left + width, m_width);
    const int bottom = std::min(top + height, m_height);
    left = std::max(left, 0);
    top = std::max(top, 0);
    if (left >= right || top >= bottom)
        return;

    // The rectangle alone is drawn, then put on the canvas: the background
    // picture at its own size from the top left (what does not fit is not
    // shown), every pixel written before the slots go over it.
    const int columns = right - left;
    const std::unique_ptr<uint32_t[]> pixels(new uint32_t[static_cast<size_t>(columns) * (bottom - top)]);
    uint32_t* const area = pixels.get();
    for (int y = top; y < bottom; ++y) {
        uint32_t* const out = &area[static_cast<size_t>(y - top) * columns];
        const int end = y < BACKGROUND_HEIGHT ? std::clamp(BACKGROUND_WIDTH, left, right) : left;
        const uint32_t* row = &m_tile[static_cast<size_t>(y % BACKGROUND_TILE_HEIGHT) * BACKGROUND_TILE_WIDTH];
        for (int x = left; x < end;) {
            const int from = x % BACKGROUND_TILE_WIDTH;
            const int length = std::min(end - x, BACKGROUND_TILE_WIDTH - from);
            std::copy_n(row + from, length, out + (x - left));
            x += length;
        }
        std::fill(out + (end - left), out + columns, 0);
    }
    for (const Image& slot : m_scene.img_alpha) {
        const PicturePtr& picture = slot.Picture();
        if (!slot.Visible() || !picture)
            continue;
        const int slotLeft = toPixels(slot.Left());
        const int slotTop = toPixels(slot.Top());
        const int fromX = std::max(left, slotLeft);
        const int toX = std::min({right, slotLeft + toPixels(slot.Width()), slotLeft + picture->width()});
        const int fromY = std::max(top, slotTop);
        const int toY = std::min({bottom, slotTop + toPixels(slot.Height()), slotTop + picture->height()});
        for (int y = fromY; y < toY; ++y)
            for (int x = fromX; x < toX; ++x) {
                uint32_t& pixel = area[static_cast<size_t>(y - top) * columns + x - left];
                pixel = over(picture->pixel(x - slotLeft, y - slotTop), pixel);
            }
    }
    putPixels(m_context, area, columns, bottom - top, left, top);
}
