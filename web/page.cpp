#include "web/page.h"

#include "controls/pixels.h"
#include "rules/messages.h"
#include "rules/startup.h"
#include "web/designpictures.h"
#include "web/dom.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

using emscripten::val;

namespace {

// Faces that show Japanese, after the labels' own: the free ones a Linux
// machine has, then those of Android and ChromeOS, macOS and iPadOS, Windows.
const char* const JAPANESE_FACES
    = "\"MS PGothic\", IPAPGothic, IPAGothic, \"Noto Sans JP\", \"Noto Sans CJK JP\", "
      "\"Hiragino Kaku Gothic ProN\", \"Hiragino Sans\", Meiryo, \"Yu Gothic\", sans-serif";

void listen(val target, const char* type, const char* handler)
{
    target.call<void>("addEventListener", val(type), val::module_property(handler));
}

} // namespace

Page::Page()
    : m_stage(val::null())
    , m_form1(val::null())
    , m_message(val::null())
    , m_pieces(PIECE_COUNT, val::null())
    , m_pad(val::null())
{
    // Failures are told inside the page, never by alert(), which would freeze
    // a kiosk's only window. The button or Enter closes the message.
    val body = val::global("document")["body"];
    m_message = addElement(body, "dialog", "message");
    addElement(m_message, "p");
    val buttons = addElement(m_message, "form");
    buttons.set("method", "dialog");
    addElement(buttons, "button").set("textContent", "OK");
}

Page::~Page()
{
    if (m_form)
        m_form->observe(nullptr);
}

bool Page::build()
{
    // The start in pieces, each a task of its own, a few milliseconds long
    // on a slow tablet, so that the browser is never held up for long. The
    // scene stays hidden until the last piece: the first frame that shows it
    // shows the whole board.
    constexpr size_t PICTURES_A_PIECE = 2;
    constexpr int ROWS_A_PIECE = 96;
    if (m_strokes.decodeAhead(PICTURES_A_PIECE))
        return true;
    if (!m_form) {
        mark("pictures");
        m_form = std::make_unique<GameForm>(m_strokes);
        return true;
    }
    GameForm& form = *m_form;
    if (!m_surface) {
        val document = val::global("document");
        document.set("title", form.Form1.Caption());
        val body = document["body"];
        body["style"].set("backgroundColor", cssColour(form.Form1.BackColor()));
        // The page has no frame: its client area is the window's as designed.
        m_clientWidth = toPixels(form.Form1.Width());
        m_clientHeight = toPixels(form.Form1.Height());
        // The scene stands below the message, which comes after it.
        m_stage = addElement(body, "div", "stage");
        body.call<void>("insertBefore", m_stage, m_message);
        m_stage["style"].set("visibility", "hidden");
        m_form1 = addElement(m_stage, "div", form.Form1.Name());
        m_form1.call<void>("setAttribute", val("aria-busy"), val("true"));
        // The scale is found while the page holds next to nothing to lay out.
        fitViewport();
        // Later elements stand above earlier ones: the labels on the surface
        // with the background and the slots, every block above the pad, as
        // in the window.
        m_surface.emplace(addElement(m_form1, "canvas"), form, m_clientWidth, m_clientHeight);
        m_surface->setScale(m_scale);
        mark("scene");
        return true;
    }
    if (m_shown.empty()) {
        // The start-up reads no file: the board shows at once, while the
        // picture files are still on their way. It runs before the elements
        // stand, so that each is laid out once, as the start-up leaves it.
        handle([&] { Form_Load(form); });
        // The labels first, laid out in a task of their own: finding the
        // faces for their Japanese is most of the board's layout.
        show(form.Label1, "div", form.Label1.Name());
        show(form.lblPicFile, "div", form.lblPicFile.Name());
        // Reading a size back lays the page out now, in this task.
        static_cast<void>(m_form1["offsetWidth"].as<double>());
        return true;
    }
    // The surface, a band of rows at a time.
    if (m_paintedRows < m_clientHeight) {
        m_surface->paint(0, m_paintedRows, m_clientWidth, ROWS_A_PIECE);
        m_paintedRows += ROWS_A_PIECE;
        return true;
    }
    if (m_pad.isNull()) {
        mark("surface");
        show(form.Picture1, "canvas", form.Picture1.Name());
        m_pad = m_shown.back().element;
        m_pad["style"].set("cursor", "url(icons/pad-pointer.png) 16 16, pointer");
        for (int index : {5, 4, 3, 1, 0, 2}) {
            show(form.Piece[index], "canvas", form.Piece[index].Name() + std::to_string(index));
            m_pieces[index] = m_shown.back().element;
        }
        return true;
    }
    // The whole board shows at once, in the next frame.
    form.observe(this);
    m_stage["style"].set("visibility", "");
    mark("board");
    return false;
}

void Page::start(FetchedPictures pictures)
{
    m_pictures = std::move(pictures);
    m_form->pictureFolder = m_pictures.folder;

    listen(m_pad, "pointerdown", "padEvent");
    listen(m_pad, "pointermove", "padEvent");
    listen(m_pad, "pointerup", "padEvent");
    listen(m_pad, "pointercancel", "padEvent");
    listen(m_pad, "lostpointercapture", "padEvent");
    // Presses and releases on the blocks are followed on the whole document,
    // so that a release anywhere forgets its press.
    val document = val::global("document");
    listen(document, "pointerdown", "pieceEvent");
    listen(document, "pointerup", "pieceEvent");
    listen(document, "pointercancel", "pieceEvent");
    listen(document, "contextmenu", "preventDefault");
    m_form1.call<void>("setAttribute", val("aria-busy"), val("false"));

    if (m_pictures.noneArrived()) {
        const std::string places[] = {m_pictures.address};
        report(missingFolderMessage(places));
    }
}

void Page::show(const Control& control, const char* tag, const std::string& id)
{
    m_shownIndex[&control] = m_shown.size();
    Shown& shown = m_shown.emplace_back(Shown{.control = &control, .element = addElement(m_form1, tag, id)});
    if (dynamic_cast<const Label*>(&control))
        shown.element.set("className", "label");
    place(shown);
    paint(shown);
}

void Page::controlChanged(const Control& control, Change change)
{
    if (&control == &m_form->Form1) {
        // The page cannot move or size the browser's window; it keeps the title.
        if (change == Change::Appearance)
            val::global("document").set("title", m_form->Form1.Caption());
        return;
    }
    const auto found = m_shownIndex.find(&control);
    if (found == m_shownIndex.end()) {
        // A slot, on the surface. Slots never move; a new picture is drawn
        // over the background and any slot it crosses.
        m_surface->paint(toPixels(control.Left()), toPixels(control.Top()), toPixels(control.Width()),
                         toPixels(control.Height()));
        return;
    }
    Shown& shown = m_shown[found->second];
    if (change == Change::Appearance)
        paint(shown);
    else
        place(shown);
}

void Page::place(Shown& shown)
{
    const Control& control = *shown.control;
    val style = shown.element["style"];
    const auto update = [&style](std::string& now, const char* property, std::string value) {
        if (value != now)
            style.set(property, now = std::move(value));
    };
    update(shown.display, "display", control.Visible() ? "" : "none");
    update(shown.left, "left", px(toPixels(control.Left()) * m_scale));
    update(shown.top, "top", px(toPixels(control.Top()) * m_scale));
    const int width = toPixels(control.Width());
    const int height = toPixels(control.Height());
    update(shown.width, "width", px(width * m_scale));
    update(shown.height, "height", px(height * m_scale));
    if (dynamic_cast<const PictureHolder*>(&control) && shown.canvasWidth != width) {
        // A canvas takes a new size by forgetting what it shows.
        shown.canvasWidth = width;
        shown.element.set("width", width);
        shown.element.set("height", height);
        shown.picture = nullptr;
        paint(shown);
    }
}

void Page::paint(Shown& shown)
{
    val style = shown.element["style"];
    if (const auto* label = dynamic_cast<const Label*>(shown.control)) {
        shown.element.set("textContent", label->Caption());
        style.set("backgroundColor", cssColour(label->BackColor()));
        style.set("color", cssColour(label->ForeColor()));
        const Font& font = label->Font();
        char size[32];
        std::snprintf(size, sizeof size, "%gpt \"", font.Size * m_scale);
        style.set("font", std::string(font.Bold ? "bold " : "") + size + font.Name + "\", " + JAPANESE_FACES);
        style.set("lineHeight", px(toPixels(label->Height()) * m_scale));
        return;
    }
    if (const auto* box = dynamic_cast<const PictureBox*>(shown.control))
        style.set("backgroundColor", cssColour(box->BackColor()));
    const auto* holder = dynamic_cast<const PictureHolder*>(shown.control);
    const PicturePtr picture = holder ? holder->Picture() : nullptr;
    if (picture != shown.picture) {
        drawPicture(shown.element, picture.get());
        shown.picture = picture;
    }
}

void Page::fitViewport()
{
    // Before the scene stands there is nothing to fit.
    if (m_form1.isNull())
        return;
    // The largest whole scale that fits, so every picture pixel stays a
    // sharp block; only a viewport smaller than the scene scales it down.
    const val root = val::global("document")["documentElement"];
    const double width = root["clientWidth"].as<double>();
    const double height = root["clientHeight"].as<double>();
    const double fit = std::min(width / m_clientWidth, height / m_clientHeight);
    m_scale = fit >= 1 ? std::floor(fit) : fit;
    // Centred on whole pixels, where a half would blur every picture.
    val style = m_stage["style"];
    style.set("left", px(std::floor((width - m_clientWidth * m_scale) / 2)));
    style.set("top", px(std::floor((height - m_clientHeight * m_scale) / 2)));
    style.set("width", px(m_clientWidth * m_scale));
    style.set("height", px(m_clientHeight * m_scale));
    // Each element is laid out at the scale, not the scene scaled as a whole
    // by a transform: WebKit smooths a canvas under a scaling transform,
    // whatever its image-rendering, and every picture pixel would blur.
    m_form1["style"].set("width", px(m_clientWidth * m_scale));
    m_form1["style"].set("height", px(m_clientHeight * m_scale));
    if (m_surface)
        m_surface->setScale(m_scale);
    for (Shown& shown : m_shown) {
        place(shown);
        paint(shown);
    }
}
