#include "selection.h"

#include "scene.h"
#include "shapes.h"

void Piece_Click(Scene& form, int16_t Index)
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

    // Turn. The new picture is read before anything changes, so a block whose
    // picture cannot be read keeps its shape and its picture together.
    const Shape* turned = turnedShape(piece.Tag(), familyOf(Index));
    if (!turned)
        return;
    PicturePtr picture = LoadPicture(form.pictureFolder / turned->blockFile);
    piece.setTag(turned->tag);
    piece.setPicture(std::move(picture));
}
