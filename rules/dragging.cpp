#include "rules/dragging.h"

#include "rules/gameform.h"
#include "rules/single.h"
#include "rules/snapping.h"

namespace {

// The movement box a block must stand in to be moved: limits included.
constexpr float LEFT_LIMIT = 14210;
constexpr float TOP_LIMIT = 10160;
// A block found outside is put back this far inside the limit it crossed.
constexpr float PUSH_BACK = 60;

} // namespace

void Picture1_MouseDown(GameForm& form, int16_t, int16_t, float X, float Y)
{
    GameState& s = form.state;
    if (s.selectedPiece == NO_PIECE)
        return;

    s.dragging = true;
    s.grabLeft = form.Piece[s.selectedPiece].Left();
    s.grabTop = form.Piece[s.selectedPiece].Top();
    s.grabX = X;
    s.grabY = Y;
}

void Picture1_MouseMove(GameForm& form, int16_t, int16_t, float X, float Y)
{
    GameState& s = form.state;
    if (!s.dragging || s.selectedPiece == NO_PIECE)
        return;

    PictureBox& piece = form.Piece[s.selectedPiece];

    // A move may carry the block out of the box; the next move brings it back
    // one limit at a time and ends the drag, so it never runs away for good.
    if (piece.Left() > LEFT_LIMIT) {
        s.dragging = false;
        piece.setLeft(LEFT_LIMIT - PUSH_BACK);
        return;
    }
    if (piece.Left() < 0) {
        s.dragging = false;
        piece.setLeft(PUSH_BACK);
        return;
    }
    if (piece.Top() > TOP_LIMIT) {
        s.dragging = false;
        piece.setTop(TOP_LIMIT - PUSH_BACK);
        return;
    }
    if (piece.Top() < 0) {
        s.dragging = false;
        piece.setTop(PUSH_BACK);
        return;
    }

    piece.setLeft(toSingle((static_cast<double>(X) - s.grabX) * PAD_SCALE + s.grabLeft));
    piece.setTop(toSingle((static_cast<double>(Y) - s.grabY) * PAD_SCALE + s.grabTop));

    snapAfterMove(form);
}

void Picture1_MouseUp(GameForm& form, int16_t, int16_t, float, float)
{
    form.state.dragging = false;
}
