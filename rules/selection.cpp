#include "rules/selection.h"

#include "rules/gameform.h"
#include "rules/shapelookup.h"

void Piece_Click(GameForm& form, int16_t Index)
{
    GameState& s = form.state;
    if (s.finished)
        return;

    s.selectedPiece = Index;
    PictureBox& piece = form.Piece[Index];

    if (piece.BackColor() == COLOR_UNSELECTED) {
        for (int i = 0; i < PIECE_COUNT; ++i)
            form.Piece[i].setBackColor(i == Index ? COLOR_SELECTED : COLOR_UNSELECTED);
        return;
    }

    // Turn. The tag steps on before the picture is read: when the picture
    // cannot be read, the block keeps its old picture but the next turn still
    // steps on from the new tag, so no missing file can hold a block at one shape.
    const Shape* turned = turnedShape(piece.Tag(), familyOf(Index));
    if (!turned)
        return;
    piece.setTag(turned->tag);
    piece.setPicture(form.pictureFiles(turned->blockFile));
}
