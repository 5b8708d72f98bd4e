// The page's input: pointer events on the pad and the blocks become the
// handlers' calls, the same for mouse, pen and touch; and the message's keys.

#include "web/page.h"

#include "controls/pixels.h"
#include "rules/dragging.h"
#include "rules/messages.h"
#include "rules/selection.h"

#include <filesystem>
#include <vector>

using emscripten::val;

namespace {

// The window's numbering of the pressed button: 1 left, 2 right, 4 middle.
int16_t buttonCode(const val& event)
{
    switch (event["button"].as<int>()) {
    case 0: return 1;
    case 1: return 4;
    case 2: return 2;
    default: return 0;
    }
}

// The buttons held, in the same numbering, which Pointer Events share.
int16_t buttonsCode(int buttons)
{
    return static_cast<int16_t>(buttons & 7);
}

int16_t shiftCode(bool shift, bool ctrl, bool alt)
{
    return static_cast<int16_t>((shift ? 1 : 0) | (ctrl ? 2 : 0) | (alt ? 4 : 0));
}

int16_t shiftCode(const val& event)
{
    return shiftCode(event["shiftKey"].as<bool>(), event["ctrlKey"].as<bool>(), event["altKey"].as<bool>());
}

// A move as web/pad.js hands it on: the pointer, clientX, clientY, buttons,
// and whether Shift, Ctrl and Alt are held.
constexpr size_t MOVE_FIELDS = 7;

} // namespace

void Page::padEvent(const val& event)
{
    const std::string type = event["type"].as<std::string>();
    const int pointer = event["pointerId"].as<int>();
    if (type == "pointerdown") {
        // One pointer owns the pad until it is lifted: a second finger does nothing.
        if (m_padPointer)
            return;
        m_padPointer = pointer;
        event.call<void>("preventDefault");
        // The drag goes on when the pointer leaves the pad, as the desktop's grab does.
        m_pad.call<void>("setPointerCapture", pointer);
        const val box = m_pad.call<val>("getBoundingClientRect");
        m_padLeft = box["left"].as<double>();
        m_padTop = box["top"].as<double>();
        readPadPosition(event["clientX"].as<double>(), event["clientY"].as<double>());
        handle([&] { Picture1_MouseDown(*m_form, buttonCode(event), shiftCode(event), m_lastX, m_lastY); });
        return;
    }
    if (m_padPointer != pointer)
        return;
    // Lifted, cancelled, or the capture lost: each ends the drag as a release
    // does, so no drag runs on with nothing held.
    int16_t button = 0;
    if (type == "pointerup") {
        readPadPosition(event["clientX"].as<double>(), event["clientY"].as<double>());
        button = buttonCode(event);
    }
    endDrag(button, shiftCode(event));
}

void Page::padMoves(const val& moves)
{
    const std::vector<double> fields = emscripten::convertJSArrayToNumberVector<double>(moves);
    m_movesRunning = true;
    for (size_t at = 0; at + MOVE_FIELDS <= fields.size(); at += MOVE_FIELDS) {
        const double* move = &fields[at];
        if (m_padPointer != static_cast<int>(move[0]))
            continue;
        readPadPosition(move[1], move[2]);
        const int16_t buttons = buttonsCode(static_cast<int>(move[3]));
        const int16_t shift = shiftCode(move[4] != 0, move[5] != 0, move[6] != 0);
        handle([&] { Picture1_MouseMove(*m_form, buttons, shift, m_lastX, m_lastY); });
    }
    m_movesRunning = false;
    for (const size_t moved : m_moved)
        place(m_shown[moved]);
    m_moved.clear();
}

void Page::focusLost()
{
    // Hidden, or with the focus in another window, the page may never see
    // the pointer lifted: the drag ends as a release does and the pad lets the
    // pointer go, so nothing is dragged when the child comes back.
    if (!m_padPointer)
        return;
    const int pointer = *m_padPointer;
    endDrag(0, 0);
    if (m_pad.call<bool>("hasPointerCapture", pointer))
        m_pad.call<void>("releasePointerCapture", pointer);
}

void Page::endDrag(int16_t button, int16_t shift)
{
    m_padPointer.reset();
    handle([&] { Picture1_MouseUp(*m_form, button, shift, m_lastX, m_lastY); });
}

void Page::readPadPosition(double clientX, double clientY)
{
    // Twips of the pad at any scale.
    m_lastX = static_cast<float>((clientX - m_padLeft) / m_scale * TWIPS_PER_PIXEL);
    m_lastY = static_cast<float>((clientY - m_padTop) / m_scale * TWIPS_PER_PIXEL);
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
        // A picture file is named by its address on the server, and one that
        // never arrived by why it could not be had.
        const std::filesystem::path path = error.path();
        if (path.parent_path() != m_pictures.folder) {
            report(pictureFailureMessage(error.path(), error.reason()));
            return;
        }
        const std::string name = path.filename().string();
        const auto failure = m_pictures.failures.find(name);
        report(pictureFailureMessage(m_pictures.addressOf(name),
                                     failure != m_pictures.failures.end() ? failure->second : error.reason()));
    } catch (const std::exception& error) {
        report(failureMessage(error.what()));
    }
}

void Page::report(const std::string& text)
{
    m_message.call<val>("querySelector", val("p")).set("textContent", text);
    if (!m_message["open"].as<bool>())
        m_message.call<void>("show");
    m_message.call<val>("querySelector", val("button")).call<void>("focus");
}
