#pragma once

#include "rules/gameform.h"
#include "rules/pointers.h"
#include "web/boardview.h"
#include "web/message.h"

#include <emscripten/val.h>

// The page's pointer input: events on the pad and the blocks become the
// handlers' calls, the same for mouse, pen and touch. The pad's become a
// drag through the rules' PadDrag, its moves handed on once a frame
// (web/pad.js); the blocks' a click through their PieceClicks.
class PointerInput {
public:
    /** Follows the pointer on the pad and the blocks of `view` from now on. */
    PointerInput(GameForm& form, BoardView& view, Message& message);

    void padEvent(const emscripten::val& event);
    /** The pad's moves since the last frame, in order, as web/pad.js hands them on. */
    void padMoves(const emscripten::val& moves);
    void pieceEvent(const emscripten::val& event);
    /** Ends a drag in progress: the page was hidden or lost the focus. */
    void focusLost();

private:
    // A position inside the pad, in twips.
    struct PadPoint {
        float x, y;
    };
    PadPoint padPoint(double clientX, double clientY) const;
    /** Tells the page's scripts how far the game got, once as it begins and after each finished letter. */
    void tellProgress();

    GameForm& m_form;
    BoardView& m_view;
    Message& m_message;
    PadDrag m_drag;
    double m_padLeft = 0; // the pad's place in the viewport and its scale while a pointer owns it
    double m_padTop = 0;
    double m_scale = 1;
    PieceClicks m_clicks;
    int m_toldLetters = -1; // the letters built as last told
};
