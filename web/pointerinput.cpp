#include "web/pointerinput.h"

#include "controls/pixels.h"
#include "rules/board.h"
#include "web/dom.h"
#include "web/protocol.h"

#include <vector>

using emscripten::val;

PointerInput::PointerInput(GameForm& form, BoardView& view, Message& message)
    : m_form(form)
    , m_view(view)
    , m_message(message)
{
    val::module_property(FOLLOW_PAD)(m_view.pad(), val::module_property("padEvent"), val::module_property("padMoves"));
    // Presses and releases on the blocks are followed on the whole document,
    // so that a release anywhere forgets its press.
    const val document = val::global("document");
    for (const char* type : {"pointerdown", "pointerup", "pointercancel"})
        listen(document, type, "pieceEvent");
    listen(document, "contextmenu", "preventDefault");
    tellProgress();
}

void PointerInput::padEvent(const val& event)
{
    const std::string type = event["type"].as<std::string>();
    const int pointer = event["pointerId"].as<int>();
    if (type == "pointerdown") {
        // One pointer owns the pad until it is lifted: a second finger does nothing.
        if (!m_drag.mayPress(pointer))
            return;
        event.call<void>("preventDefault");
        // The drag goes on when the pointer leaves the pad, as the desktop's grab does.
        m_view.pad().call<void>("setPointerCapture", pointer);
        const val box = m_view.pad().call<val>("getBoundingClientRect");
        m_padLeft = box["left"].as<double>();
        m_padTop = box["top"].as<double>();
        m_scale = box["width"].as<double>() / pixelBox(m_form.Picture1).width();
    }
    const PadPoint at = padPoint(event["clientX"].as<double>(), event["clientY"].as<double>());
    if (type == "pointerdown") {
        m_message.handle([&] { m_drag.press(m_form, pointer, at.x, at.y); });
    } else if (type == "pointerup") {
        m_message.handle([&] { m_drag.release(m_form, pointer, at.x, at.y); });
    } else {
        // Cancelled, or the capture lost.
        m_message.handle([&] { m_drag.lose(m_form, pointer); });
    }
}

void PointerInput::padMoves(const val& moves)
{
    const std::vector<double> fields = emscripten::convertJSArrayToNumberVector<double>(moves);
    m_view.moveTogether([&] {
        for (size_t at = 0; at + MOVE_FIELDS <= fields.size(); at += MOVE_FIELDS) {
            const int pointer = static_cast<int>(fields[at + MOVE_POINTER]);
            if (m_drag.owner() != pointer)
                continue;
            const PadPoint point = padPoint(fields[at + MOVE_X], fields[at + MOVE_Y]);
            m_message.handle([&] { m_drag.move(m_form, pointer, point.x, point.y); });
        }
    });
    // Only a move drops a block in, and so finishes a letter.
    tellProgress();
}

void PointerInput::tellProgress()
{
    const int built = m_form.state.letterNo;
    if (built == m_toldLetters)
        return;
    m_toldLetters = built;
    const val listener = val::global(COURSE_PROGRESS);
    if (listener.isUndefined())
        return;
    const std::optional<LetterRange> next = letterRange(static_cast<int16_t>(built));
    listener(next ? std::string(1, next->letter) : std::string(), built, LETTER_COUNT);
}

void PointerInput::focusLost()
{
    // Hidden, or with the focus in another window, the page may never see
    // the pointer lifted: the drag ends and the pad lets the pointer go, so
    // nothing is dragged when the child comes back.
    const std::optional<int> pointer = m_drag.owner();
    if (!pointer)
        return;
    m_message.handle([&] { m_drag.lose(m_form, *pointer); });
    if (m_view.pad().call<bool>("hasPointerCapture", *pointer))
        m_view.pad().call<void>("releasePointerCapture", *pointer);
}

PointerInput::PadPoint PointerInput::padPoint(double clientX, double clientY) const
{
    // Twips of the pad at any scale.
    return {static_cast<float>((clientX - m_padLeft) / m_scale * TWIPS_PER_PIXEL),
            static_cast<float>((clientY - m_padTop) / m_scale * TWIPS_PER_PIXEL)};
}

void PointerInput::pieceEvent(const val& event)
{
    const std::string type = event["type"].as<std::string>();
    const int pointer = event["pointerId"].as<int>();
    const val target = event["target"];
    const std::optional<int> piece = m_view.pieceAt(target);
    if (type == "pointerup") {
        m_message.handle([&] { m_clicks.release(m_form, pointer, piece); });
    } else if (type == "pointercancel") {
        m_clicks.lose(pointer);
    } else if (piece) {
        m_clicks.press(pointer, *piece, event["button"].as<int>() == 0);
        event.call<void>("preventDefault");
        // A touch holds on to what it pressed; let go, so that the release
        // lands where the finger is lifted.
        if (target.call<bool>("hasPointerCapture", pointer))
            target.call<void>("releasePointerCapture", pointer);
    }
}
