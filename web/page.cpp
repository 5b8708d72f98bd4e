#include "web/page.h"

#include "controls/pixels.h"
#include "design/background.h"
#include "rules/messages.h"
#include "rules/startup.h"
#include "web/boardlook.h"
#include "web/designpictures.h"

#include <algorithm>
#include <cmath>

using emscripten::val;

Page::Page()
    : m_strokes("design:", embeddedBytes)
    , m_stage(val::null())
    , m_form1(val::null())
    , m_message(val::null())
    , m_pieces(PIECE_COUNT, val::null())
    , m_pad(val::null())
{
}

void Page::makeMessage()
{
    // Failures are told inside the page, never by alert(), which would freeze
    // a kiosk's only window. The button or Enter closes the message. The
    // button closes it itself: a learning platform's sandboxed frame may
    // forbid the form its own way of closing it.
    val body = val::global("document")["body"];
    m_message = addElement(body, "dialog", "message");
    addElement(m_message, "p");
    val buttons = addElement(m_message, "form");
    buttons.set("method", "dialog");
    val ok = addElement(buttons, "button");
    ok.set("textContent", "OK");
    listen(ok, "click", "okClicked");
}

Page::~Page()
{
    if (m_form)
        m_form->observe(nullptr);
}

Page::Progress Page::build()
{
    // The start in pieces, each short on a slow tablet, so that the browser
    // is never held up for long. The scene stays hidden until reveal(): the
    // first frame that shows it shows the whole board.
    if (m_message.isNull()) {
        // The first elements are the program's first calls into the page,
        // whose code the browser prepares as each is first made: on a first
        // visit the costliest step for its size, so it has a task of its own.
        makeMessage();
        return Progress::MoreAfterABreath;
    }
    // A design picture a piece, decoded ahead of the scene that shows it.
    if (m_decodedAhead < EMBEDDED_PICTURES.size()) {
        m_strokes(EMBEDDED_PICTURES[m_decodedAhead++].name);
        return Progress::More;
    }
    if (!m_form) {
        mark("pictures");
        m_form = std::make_unique<GameForm>(m_strokes);
        return Progress::More;
    }
    GameForm& form = *m_form;
    if (m_stage.isNull()) {
        val document = val::global("document");
        document.set("title", form.Form1.Caption());
        val body = document["body"];
        body["style"].set("backgroundColor", cssColour(form.Form1.BackColor()));
        // The scene stands below the message, which comes after it.
        m_stage = addElement(body, "div", "stage");
        body.call<void>("insertBefore", m_stage, m_message);
        m_stage["style"].set("display", "none");
        return Progress::More;
    }
    if (m_form1.isNull()) {
        // The page has no frame: its client area is the window's as designed.
        m_clientWidth = toPixels(form.Form1.Width());
        m_clientHeight = toPixels(form.Form1.Height());
        m_form1 = addElement(m_stage, "div", form.Form1.Name());
        m_form1.call<void>("setAttribute", val("aria-busy"), val("true"));
        // The scale is found while the page holds next to nothing to lay out.
        fitViewport();
        return Progress::More;
    }
    if (!m_loaded) {
        // The start-up reads no file: the board shows at once, while the
        // picture files are still on their way. It runs before the elements
        // stand, so that each is laid out once, as the start-up leaves it.
        handle([&] { Form_Load(form); });
        m_loaded = true;
        mark("scene");
        return Progress::More;
    }
    // Later elements stand above earlier ones: the slots on the background,
    // the labels, every block above the pad, as in the window.
    if (!m_slots) {
        m_slots.emplace(m_form1, form, m_canvasPictures);
        m_slots->setScale(m_scale);
        return Progress::More;
    }
    if (m_slots->buildNext())
        return Progress::More;
    const std::vector<ShownControl> elements = shownControls(form);
    if (m_shown.size() < elements.size()) {
        if (m_shown.empty())
            mark("slots");
        const ShownControl& element = elements[m_shown.size()];
        show(*element.control, element.id);
        if (element.control == &form.Picture1) {
            m_pad = m_shown.back().element;
            m_pad["style"].set("cursor", "url(icons/pad-pointer.png) 16 16, pointer");
        }
        for (int index = 0; index < PIECE_COUNT; ++index)
            if (element.control == &form.Piece[index])
                m_pieces[index] = m_shown.back().element;
        return m_shown.size() < elements.size() ? Progress::More : Progress::MoreAfterABreath;
    }
    // Until now the scene took no part in the page's layout, whatever frames
    // the browser drew meanwhile. It is laid out once, whole, in a task of
    // its own: finding the faces for the labels' Japanese is most of it, and
    // the first frame then only paints. The board shows in the same task,
    // where it can, so that the next frame is the one that shows it.
    m_stage["style"].set("display", "");
    m_stage["style"].set("visibility", "hidden");
    static_cast<void>(m_form1["offsetWidth"].as<double>());
    form.observe(this);
    return Progress::Done;
}

void Page::reveal()
{
    m_stage["style"].set("visibility", "");
    removeFirstBoard();
    mark("board");
}

void Page::removeFirstBoard()
{
    const val board = val::global("document").call<val>("getElementById", val("first-board"));
    if (!board.isNull())
        board.call<void>("remove");
}

void Page::start(FetchedPictures pictures)
{
    m_pictures = std::move(pictures);
    m_form->pictureFolder = m_pictures.folder;

    val::module_property("followPad")(m_pad, val::module_property("padEvent"), val::module_property("padMoves"));
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

void Page::show(const Control& control, const std::string& id)
{
    m_shownIndex[&control] = m_shown.size();
    Shown& shown = m_shown.emplace_back(Shown{.control = &control, .element = addElement(m_form1, "div", id)});
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
        // A slot. Slots never move; its rectangle is drawn again, with any
        // slot that crosses it.
        m_slots->paint(pixelBox(control));
        return;
    }
    Shown& shown = m_shown[found->second];
    if (change == Change::Appearance) {
        paint(shown);
    } else if (m_movesRunning) {
        if (std::find(m_moved.begin(), m_moved.end(), found->second) == m_moved.end())
            m_moved.push_back(found->second);
    } else {
        place(shown);
    }
}

void Page::place(Shown& shown)
{
    const PixelBox box = pixelBox(*shown.control);
    const std::pair<std::string Shown::*, std::string> wanted[] = {
        {&Shown::display, shown.control->Visible() ? "" : "none"},
        {&Shown::left, px(box.left * m_scale)},
        {&Shown::top, px(box.top * m_scale)},
        {&Shown::width, px(box.width() * m_scale)},
        {&Shown::height, px(box.height() * m_scale)},
    };
    constexpr const char* PROPERTIES[] = {"display", "left", "top", "width", "height"};
    val style = shown.element["style"];
    if (shown.display == "?") {
        // A new element takes its whole style in one write.
        std::string text;
        for (size_t i = 0; i < std::size(wanted); ++i) {
            shown.*wanted[i].first = wanted[i].second;
            if (!wanted[i].second.empty())
                text += std::string(PROPERTIES[i]) + ':' + wanted[i].second + ';';
        }
        style.set("cssText", text);
    } else {
        // A block's move changes its left or top alone, and only that is written.
        for (size_t i = 0; i < std::size(wanted); ++i) {
            std::string& now = shown.*wanted[i].first;
            if (now != wanted[i].second)
                style.set(PROPERTIES[i], now = wanted[i].second);
        }
    }
}

void Page::paint(Shown& shown)
{
    val style = shown.element["style"];
    if (const auto* label = dynamic_cast<const Label*>(shown.control)) {
        shown.element.set("textContent", label->Caption());
        for (const auto& [property, value] : labelLook(*label, [this](double pixels) { return px(pixels * m_scale); }))
            style.set(property, value);
        return;
    }
    if (const auto* box = dynamic_cast<const PictureBox*>(shown.control))
        style.set("backgroundColor", cssColour(box->BackColor()));
    const auto* holder = dynamic_cast<const PictureHolder*>(shown.control);
    const PicturePtr picture = holder ? holder->Picture() : nullptr;
    if (picture != shown.picture) {
        shown.picture = picture;
        val::module_property("showPicture")(shown.element, picture ? m_canvasPictures.source(picture) : val::null());
    }
    // The picture from the top left, each of its pixels a block of the
    // scale, over the box's colour where it is clear or does not reach.
    if (picture)
        style.set("backgroundSize", px(picture->width() * m_scale) + " " + px(picture->height() * m_scale));
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
    val form1 = m_form1["style"];
    form1.set("width", px(m_clientWidth * m_scale));
    form1.set("height", px(m_clientHeight * m_scale));
    // The background's tile repeated from the top left, each of its pixels
    // a block of the scale.
    form1.set("backgroundSize", px(BACKGROUND_TILE_WIDTH * m_scale) + " " + px(BACKGROUND_TILE_HEIGHT * m_scale));
    if (m_slots)
        m_slots->setScale(m_scale);
    for (Shown& shown : m_shown) {
        place(shown);
        paint(shown);
    }
}
