#include "web/surface.h"

#include "controls/pixels.h"
#include "pictures/background.h"
#include "web/dom.h"

#include <algorithm>

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
    , m_background(static_cast<size_t>(width) * height)
{
    m_canvas.set("width", width);
    m_canvas.set("height", height);
    m_context = m_canvas.call<val>("getContext", val("2d"));

    // The background picture at its own size from the top left, the
    // generator's noise tile repeated; what does not fit is not shown.
    const std::vector<uint8_t> indexes = makeBackgroundTile();
    const auto palette = backgroundPalette();
    std::vector<uint32_t> tile(indexes.size());
    std::transform(indexes.begin(), indexes.end(), tile.begin(), [&palette](uint8_t index) {
        const uint32_t rgb = palette[index];
        return canvasPixel(rgb >> 16, rgb >> 8 & 0xFF, rgb & 0xFF);
    });
    for (int y = 0; y < std::min(height, BACKGROUND_HEIGHT); ++y) {
        const uint32_t* row = &tile[static_cast<size_t>(y % BACKGROUND_TILE_HEIGHT) * BACKGROUND_TILE_WIDTH];
        for (int x = 0; x < std::min(width, BACKGROUND_WIDTH); x += BACKGROUND_TILE_WIDTH)
            std::copy_n(row, std::min(BACKGROUND_TILE_WIDTH, width - x),
                        &m_background[static_cast<size_t>(y) * width + x]);
    }
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

    // The rectangle alone is drawn, then put on the canvas.
    const int columns = right - left;
    std::vector<uint32_t> area(static_cast<size_t>(columns) * (bottom - top));
    for (int y = top; y < bottom; ++y)
        std::copy_n(&m_background[static_cast<size_t>(y) * m_width + left], columns,
                    &area[static_cast<size_t>(y - top) * columns]);
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
    putPixels(m_context, area.data(), columns, bottom - top, left, top);
}
