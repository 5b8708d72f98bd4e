#pragma once

#include <optional>

class GameForm;

// A drag on the pad, as every front end has it: the front end translates
// its pointer events into these calls, positions in twips inside the pad,
// and the drag hands them to the pad's handlers. One pointer owns the pad
// from its press until it is lifted or lost; no other reaches the handlers
// meanwhile.
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
