#include "rules/pointers.h"

#include "rules/dragging.h"
#include "rules/selection.h"

// The handlers never read the button or the keys held: any button drags.

void PadDrag::press(GameForm& form, int pointer, float x, float y)
{
    if (!mayPress(pointer))
        return;
    m_owner = pointer;
    m_lastX = x;
    m_lastY = y;
    Picture1_MouseDown(form, 0, 0, x, y);
}

void PadDrag::move(GameForm& form, int pointer, float x, float y)
{
    if (m_owner != pointer)
        return;
    m_lastX = x;
    m_lastY = y;
    Picture1_MouseMove(form, 0, 0, x, y);
}

void PadDrag::release(GameForm& form, int pointer, float x, float y)
{
    if (m_owner != pointer)
        return;
    m_owner.reset();
    m_lastX = x;
    m_lastY = y;
    Picture1_MouseUp(form, 0, 0, x, y);
}

void PadDrag::lose(GameForm& form, int pointer)
{
    release(form, pointer, m_lastX, m_lastY);
}

void PieceClicks::press(int pointer, int piece, bool mainButton)
{
    if (mainButton)
        m_presses[pointer] = piece;
}

void PieceClicks::release(GameForm& form, int pointer, std::optional<int> piece)
{
    const auto press = m_presses.find(pointer);
    if (press == m_presses.end())
        return;
    const bool click = piece == press->second;
    m_presses.erase(press);
    if (click)
        Piece_Click(form, static_cast<int16_t>(*piece));
}
