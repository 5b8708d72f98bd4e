#include "web/boardview.h"

#include "controls/pixels.h"
#include "web/dom.h"
#include "web/protocol.h"

#include <algorithm>

using emscripten::val;

namespace {

// The style properties place() writes, in the order Shown::style holds them.
constexpr const char* PLACED[] = {"display", "left", "top", "width", "height"};

} // namespace

BoardView::BoardView(GameForm& form)
    : m_form(form)
    , m_stage(addElement(val::global("document")["body"], "div", "stage"))
    , m_form1(addElement(m_stage, "div", form.Form1.Name()))
{
    for (const Control* control : form.standingOrder()) {
        m_shownIndex[control] = m_shown.size();
        m_shown.push_back({.control = control, .id = elementId(*control)});
    }
    // Below everything else the page holds: the message and the first board.
    val::global("document")["body"].call<void>("prepend", m_stage);
    // The stage takes no part in the page's layout until the board stands.
    m_stage["style"].set("display", "none");
    setBusy(true);
}

BoardView::~BoardView()
{
    m_form.observe(nullptr);
}

bool BoardView::buildNext()
{
    // Later elements stand above earlier ones: the slots on the background,
    // the labels, every block above the pad, as in the window.
    if (m_built == m_shown.size())
        return false;
    if (m_built == m_form.img_alpha.size())
        mark("slots");
    Shown& shown = m_shown[m_built++];
    shown.element = addElement(m_form1, "div", shown.id);
    if (dynamic_cast<const Label*>(shown.control))
        shown.element.set("className", "label");
    place(shown);
    paint(shown);
    return true;
}

void BoardView::layOut()
{
    // Laid out once, whole, in a task of its own: finding the faces for the
    // labels' Japanese is most of it, and the first frame then only paints.
    m_stage["style"].set("display", "");
    m_stage["style"].set("visibility", "hidden");
    static_cast<void>(m_form1["offsetWidth"].as<double>());
    m_form.observe(this);
}

void BoardView::reveal()
{
    m_stage["style"].set("visibility", "");
    removeFirstBoard();
    mark("board");
}

void BoardView::setBusy(bool busy)
{
    m_form1.call<void>("setAttribute", val("aria-busy"), val(busy ? "true" : "false"));
}

const val& BoardView::elementOf(const Control& control) const
{
    return m_shown[m_shownIndex.at(&control)].element;
}

std::optional<int> BoardView::pieceAt(const val& element) const
{
    for (int index = 0; index < PIECE_COUNT; ++index)
        if (element.strictlyEquals(elementOf(m_form.Piece[index])))
            return index;
    return std::nullopt;
}

void BoardView::moveTogether(const std::function<void()>& moves)
{
    m_moving = true;
    moves();
    m_moving = false;
    for (const size_t moved : m_moved)
        place(m_shown[moved]);
    m_moved.clear();
}

void BoardView::controlChanged(const Control& control, Change change)
{
    if (&control == &m_form.Form1) {
        // The page cannot move or size the browser's window; it keeps the title.
        if (change == Change::Appearance)
            val::global("document").set("title", m_form.Form1.Caption());
        return;
    }
    const size_t index = m_shownIndex.at(&control);
    if (change == Change::Appearance)
        paint(m_shown[index]);
    else if (!m_moving)
        place(m_shown[index]);
    else if (std::find(m_moved.begin(), m_moved.end(), index) == m_moved.end())
        m_moved.push_back(index);
}

void BoardView::place(Shown& shown)
{
    const PixelBox box = pixelBox(*shown.control);
    const std::string wanted[] = {shown.control->Visible() ? "" : "none", scaled(box.left), scaled(box.top),
                                  scaled(box.width()), scaled(box.height())};
    val style = shown.element["style"];
    if (!shown.styled) {
        // A new element takes its whole style in one write.
        std::string text;
        for (size_t i = 0; i < std::size(PLACED); ++i)
            if (!wanted[i].empty())
                text += std::string(PLACED[i]) + ':' + wanted[i] + ';';
        style.set("cssText", text);
        std::copy(std::begin(wanted), std::end(wanted), shown.style);
        shown.styled = true;
        return;
    }
    for (size_t i = 0; i < std::size(PLACED); ++i)
        if (shown.style[i] != wanted[i])
            style.set(PLACED[i], shown.style[i] = wanted[i]);
}

void BoardView::paint(Shown& shown)
{
    val style = shown.element["style"];
    if (const auto* label = dynamic_cast<const Label*>(shown.control)) {
        shown.element.set("textContent", label->Caption());
        for (const auto& [property, value] : labelLook(*label))
            style.set(property, value);
        return;
    }
    if (const auto* box = dynamic_cast<const PictureBox*>(shown.control))
        style.set("backgroundColor", cssColour(box->BackColor()));
    const auto* holder = dynamic_cast<const PictureHolder*>(shown.control);
    const PicturePtr picture = holder ? holder->Picture() : nullptr;
    if (picture != shown.picture) {
        shown.picture = picture;
        val::module_property(SHOW_PICTURE)(shown.element, picture ? canvasOf(picture) : val::null());
    }
    // The picture from the top left, each of its pixels a block of the
    // scale, over the box's colour where it is clear or does not reach.
    if (picture)
        style.set("backgroundSize", scaled(picture->width()) + " " + scaled(picture->height()));
}

const val& BoardView::canvasOf(const PicturePtr& picture)
{
    const auto found = m_canvases.find(picture.get());
    if (found != m_canvases.end() && found->second.picture.lock() == picture)
        return found->second.canvas;
    // The rules load a picture file anew for each stroke: forget the pictures
    // no control shows any more before the cache grows.
    if (m_canvases.size() > 64)
        std::erase_if(m_canvases, [](const auto& kept) { return kept.second.picture.expired(); });

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
    const val pixels = val::global("ImageData")
                           .new_(val::global("Uint8ClampedArray").new_(view), picture->width(), picture->height());
    Canvas& kept = m_canvases[picture.get()];
    kept = Canvas{.picture = picture, .canvas = val::global("document").call<val>("createElement", val("canvas"))};
    kept.canvas.set("width", picture->width());
    kept.canvas.set("height", picture->height());
    kept.canvas.call<val>("getContext", val("2d")).call<void>("putImageData", pixels, 0, 0);
    return kept.canvas;
}
