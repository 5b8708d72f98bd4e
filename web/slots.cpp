#include "web/slots.h"

#include "controls/pixels.h"

#include <algorithm>
#include <climits>
#include <map>
#include <numeric>

using emscripten::val;

namespace {

// The grid that gathers neighbouring slots onto one canvas, in pixels: a
// letter or two of the chart a cell.
constexpr int CELL_WIDTH = 256;
constexpr int CELL_HEIGHT = 192;

} // namespace

Slots::Slots(val& parent, const Scene& scene, CanvasPictures& pictures)
    : m_pictures(pictures)
    , m_parent(parent)
    , m_contexts(val::array())
{
    // Slots never move, so their canvases are found once. Slots that overlap,
    // directly or through others, share a canvas, which draws them in order.
    const size_t count = scene.img_alpha.size();
    std::vector<PixelBox> boxes(count);
    std::transform(scene.img_alpha.begin(), scene.img_alpha.end(), boxes.begin(),
                   [](const Image& slot) { return pixelBox(slot); });
    std::vector<size_t> groupOf(count);
    std::iota(groupOf.begin(), groupOf.end(), 0);
    const auto root = [&](size_t slot) {
        while (groupOf[slot] != slot)
            slot = groupOf[slot] = groupOf[groupOf[slot]];
        return slot;
    };
    for (size_t a = 0; a < count; ++a)
        for (size_t b = a + 1; b < count; ++b)
            if (boxes[a].crosses(boxes[b]))
                groupOf[root(b)] = root(a);
    // So do such groups whose middles fall in one cell of the grid: the
    // canvases of neighbours overlap only where both are clear.
    std::vector<PixelBox> spans(count, PixelBox{INT_MAX, INT_MAX, INT_MIN, INT_MIN});
    for (size_t slot = 0; slot < count; ++slot) {
        PixelBox& span = spans[root(slot)];
        span = {std::min(span.left, boxes[slot].left), std::min(span.top, boxes[slot].top),
                std::max(span.right, boxes[slot].right), std::max(span.bottom, boxes[slot].bottom)};
    }
    std::map<std::pair<int, int>, size_t> cells;
    for (size_t slot = 0; slot < count; ++slot) {
        if (root(slot) != slot)
            continue;
        const PixelBox& span = spans[slot];
        const auto cell
            = std::make_pair((span.left + span.right) / 2 / CELL_WIDTH, (span.top + span.bottom) / 2 / CELL_HEIGHT);
        const auto [first, added] = cells.emplace(cell, slot);
        if (!added)
            groupOf[slot] = root(first->second);
    }

    std::vector<size_t> groupIndex(count, SIZE_MAX);
    for (size_t slot = 0; slot < count; ++slot) {
        size_t& index = groupIndex[root(slot)];
        const PixelBox& box = boxes[slot];
        if (index == SIZE_MAX) {
            index = m_groups.size();
            m_groups.push_back({box, {}});
        }
        PixelBox& bounds = m_groups[index].bounds;
        bounds = {std::min(bounds.left, box.left), std::min(bounds.top, box.top), std::max(bounds.right, box.right),
                  std::max(bounds.bottom, box.bottom)};
        m_groups[index].slots.push_back({&scene.img_alpha[slot], box});
    }
    for (const Group& group : m_groups)
        m_bounds.insert(m_bounds.end(), {group.bounds.left, group.bounds.top, group.bounds.right, group.bounds.bottom});
}

bool Slots::buildNext()
{
    if (m_made < m_groups.size()) {
        val::module_property("makeSlotCanvas")(
            m_parent, val(emscripten::typed_memory_view(4, m_bounds.data() + 4 * m_made)), m_contexts, m_scale);
        ++m_made;
        return true;
    }
    if (readyNextPicture())
        return true;
    if (m_firstPainted == m_groups.size())
        return false;
    // The canvas is clear, and its slots drawn in order over one another.
    Commands commands(m_pictures);
    for (const auto& [slot, box] : m_groups[m_firstPainted].slots)
        commands.draw(static_cast<int>(m_firstPainted), m_groups[m_firstPainted], *slot, box);
    commands.run(m_contexts);
    ++m_firstPainted;
    return true;
}

bool Slots::readyNextPicture()
{
    // A picture many slots show is readied once, by the first.
    for (; m_readyGroup < m_groups.size(); ++m_readyGroup, m_readySlot = 0) {
        const auto& slots = m_groups[m_readyGroup].slots;
        while (m_readySlot < slots.size()) {
            const Image& slot = *slots[m_readySlot++].first;
            if (slot.Visible() && slot.Picture() && !m_pictures.hasSource(slot.Picture())) {
                m_pictures.source(slot.Picture());
                return true;
            }
        }
    }
    return false;
}

void Slots::setScale(double scale)
{
    m_scale = scale;
    val::module_property("placeSlotCanvases")(
        m_contexts, val(emscripten::typed_memory_view(m_bounds.size(), m_bounds.data())), scale);
}

void Slots::paint(const PixelBox& area)
{
    Commands commands(m_pictures);
    for (size_t index = 0; index < m_groups.size(); ++index) {
        const Group& group = m_groups[index];
        const PixelBox& bounds = group.bounds;
        if (!area.crosses(bounds))
            continue;
        // The part of the area on this canvas, in its own pixels: cleared,
        // then every slot that crosses it drawn again in order, clipped to it.
        const int canvas = static_cast<int>(index);
        commands.clip(canvas,
                      {std::max(area.left, bounds.left) - bounds.left, std::max(area.top, bounds.top) - bounds.top,
                       std::min(area.right, bounds.right) - bounds.left,
                       std::min(area.bottom, bounds.bottom) - bounds.top});
        for (const auto& [slot, box] : group.slots)
            if (area.crosses(box))
                commands.draw(canvas, group, *slot, box);
        commands.done(canvas);
    }
    commands.run(m_contexts);
}

Slots::Commands::Commands(CanvasPictures& pictures)
    : m_pictures(pictures)
    , m_sources(val::array())
{
}

void Slots::Commands::clip(int canvas, const PixelBox& area)
{
    m_commands.push_back({0, canvas, area.left, area.top, area.right - area.left, area.bottom - area.top, 0});
}

void Slots::Commands::draw(int canvas, const Group& group, const Image& slot, const PixelBox& box)
{
    const PicturePtr& picture = slot.Picture();
    if (!slot.Visible() || !picture)
        return;
    // A picture larger than its slot shows only as much as the slot holds.
    const int width = std::min(box.right - box.left, picture->width());
    const int height = std::min(box.bottom - box.top, picture->height());
    if (width <= 0 || height <= 0)
        return;
    auto source = std::find(m_sourcePictures.begin(), m_sourcePictures.end(), picture.get());
    if (source == m_sourcePictures.end()) {
        m_sources.call<void>("push", m_pictures.source(picture));
        source = m_sourcePictures.insert(source, picture.get());
    }
    m_commands.push_back({1, canvas, static_cast<int32_t>(source - m_sourcePictures.begin()), width, height,
                          box.left - group.bounds.left, box.top - group.bounds.top});
}

void Slots::Commands::done(int canvas)
{
    m_commands.push_back({2, canvas, 0, 0, 0, 0, 0});
}

void Slots::Commands::run(const val& contexts)
{
    if (m_commands.empty())
        return;
    val::module_property("drawSlots")(
        contexts, m_sources, val(emscripten::typed_memory_view(7 * m_commands.size(), m_commands.front().data())));
}
