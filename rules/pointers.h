#pragma once

#include <map>
#include <optional>

class GameForm;

// What a pointer does on the pad and on the blocks, as every front end has
// it: the front end translates its pointer events into these calls, each
// pointer (the mouse, a pen, a finger) by a number of its own, and they hand
// them to the handlers.

// A drag on the pad, positions in twips inside the pad. One pointer owns the
// pad from its press until it is lifted or lost; no other reaches the
// handlers meanwhile.
class PadDrag {
public:
    /** Whether a press of `pointer` would start a drag: no other pointer owns the pad. */
    bool mayPress(int pointer) const { return !m_owner || *m_owner == pointer; }
    /** The pointer that owns the pad, if one does. */
    std::optional<int> owner() const { return m_owner; }

    /** A press: the pointer owns the pad and the drag starts (a press of the owner starts it again). */
    void press(GameForm& form, int pointer, float x, float y);
    /** A move: the owner's drags the block; any other is no drag. */
    void move(GameForm& form, int pointer, float x, float y);
    /** The owner lifted: the drag ends. */
    void release(GameForm& form, int pointer, float x, float y);
    /** The owner lost (cancelled, taken by another window, the page hidden): the drag ends as a release
        where the pointer was last seen, so no drag runs on with nothing held. */
    void lose(GameForm& form, int pointer);

private:
    std::optional<int> m_owner;
    float m_lastX = 0;
    float m_lastY = 0;
};

// Clicks on the blocks: a press of the main button (a finger's touch is one)
// on a block and its release over the same block make a click, and a quick
// second one a second click; the handler tells a select from a turn.
class PieceClicks {
public:
    /** `pointer` pressed on block `piece`; another button's press leaves the main one's as it is. */
    void press(int pointer, int piece, bool mainButton);
    /** `pointer`'s main button lifted over block `piece`, or over none: a click when it pressed that block. */
    void release(GameForm& form, int pointer, std::optional<int> piece);
    /** `pointer` lost (cancelled, taken by another window): its press makes no click. */
    void lose(int pointer) { m_presses.erase(pointer); }

private:
    std::map<int, int> m_presses; // each pointer's block pressed, until it is lifted or lost
};
