// The page's input: pointer events on the pad and the blocks become the
// handlers' calls, the same for mouse, pen and touch; and the message's keys.

#include "web/page.h"

#include "controls/pixels.h"
#include "rules/messages.h"
#include "rules/selection.h"

#include <vector>

using emscripten::val;

namespace {

// A move as web/pad.js hands it on: the pointer, clientX, clientY.
constexpr size_t MOVE_FIELDS = 3;

} // namespace

void Page::padEvent(const val& event)
{
    const std::string type = event["type"].as<std::string>();
    const int pointer = event["pointerId"].as<int>();
    if (type == "pointerdown") {
        // One pointer owns the pad until it is lifted: a second finger does nothing.
        if (!m_drag.mayPress(pointer))
            return;
        event.call<void>("preventDefault");
        // The drag goes on when the pointer leaves the pad, as the desktop's grab does.
        m_pad.call<void>("setPointerCapture", pointer);
        const val box = m_pad.call<val>("getBoundingClientRect");
        m_padLeft = box["left"].as<double>();
        m_padTop = box["top"].as<double>();
        const PadPoint at = padPoint(event["clientX"].as<double>(), event["clientY"].as<double>());
        handle([&] { m_drag.press(*m_form, pointer, at.x, at.y); });
        return;
    }
    if (type == "pointerup") {
        const PadPoint at = padPoint(event["clientX"].as<double>(), event["clientY"].as<double>());
        handle([&] { m_drag.release(*m_form, pointer, at.x, at.y); });
    } else {
        // Cancelled, or the capture lost.
        handle([&] { m_drag.lose(*m_form, pointer); });
    }
}

void Page::padMoves(const val& moves)
{
    const std::vector<double> fields = emscripten::convertJSArrayToNumberVector<double>(moves);
    m_movesRunning = true;
    for (size_t at = 0; at + MOVE_FIELDS <= fields.size(); at += MOVE_FIELDS) {
        const double* move = &fields[at];
        const int pointer = static_cast<int>(move[0]);
        if (m_drag.owner() != pointer)
            continue;
        const PadPoint point = padPoint(move[1], move[2]);
        handle([&] { m_drag.move(*m_form, pointer, point.x, point.y); });
    }
    m_movesRunning = false;
    for (const size_t moved : m_moved)
        place(m_shown[moved]);
    m_moved.clear();
}

void Page::focusLost()
{
    // Hidden, or with the focus in another window, the page may never see
    // the pointer lifted: the drag ends and the pad lets the pointer go, so
    // nothing is dragged when the child comes back.
    const std::optional<int> pointer = m_drag.owner();
    if (!pointer)
        return;
    handle([&] { m_drag.lose(*m_form, *pointer); });
    if (m_pad.call<bool>("hasPointerCapture", *pointer))
        m_pad.call<void>("releasePointerCapture", *pointer);
}

Page::PadPoint Page::padPoint(double clientX, double clientY) const
{
    // Twips of the pad at any scale.
    return {static_cast<float>((clientX - m_padLeft) / m_scale * TWIPS_PER_PIXEL),
            static_cast<float>((clientY - m_padTop) / m_scale * TWIPS_PER_PIXEL)};
}

void Page::pieceEvent(const val& event)
{
    // A click is a press and a release of the main button (or a finger) on
    // the same block; a quick second tap is a second click.
    const std::string type = event["type"].as<std::string>();
    const int pointer = event["pointerId"].as<int>();
    const val target = event["target"];
    const std::optional<int> piece = pieceAt(target);
    if (type == "pointerdown") {
        if (!piece || event["button"].as<int>() != 0)
            return;
        event.call<void>("preventDefault");
        // A touch holds on to what it pressed; let go, so that the release
        // lands where the finger is lifted.
        if (target.call<bool>("hasPointerCapture", pointer))
            target.call<void>("releasePointerCapture", pointer);
        m_presses[pointer] = *piece;
        return;
    }
    const auto press = m_presses.find(pointer);
    if (press == m_presses.end())
        return;
    const bool click = type == "pointerup" && piece == press->second;
    m_presses.erase(press);
    if (click)
        handle([&] { Piece_Click(*m_form, static_cast<int16_t>(*piece)); });
}

std::optional<int> Page::pieceAt(const val& element) const
{
    for (int index = 0; index < PIECE_COUNT; ++index) {
        if (element.strictlyEquals(m_pieces[index]))
            return index;
    }
    return std::nullopt;
}

bool Page::keyDown(const std::string& key)
{
    if (key != "Enter" && key != "Escape")
        return false;
    return closeMessage();
}

bool Page::closeMessage()
{
    if (m_message.isNull() || !m_message["open"].as<bool>())
        return false;
    m_message.call<void>("close");
    return true;
}

void Page::handle(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const PictureLoadError& error) {
        report(failureMessage(m_pictures.asFetched(error)));
    } catch (const std::exception& error) {
        report(failureMessage(error));
    }
}

void Page::report(const std::string& text)
{
    m_message.call<val>("querySelector", val("p")).set("textContent", text);
    if (!m_message["open"].as<bool>())
        m_message.call<void>("show");
    m_message.call<val>("querySelector", val("button")).call<void>("focus");
}
