#include "rules/snapping.h"

#include "rules/board.h"
#include "rules/gameform.h"
#include "rules/selection.h"
#include "rules/shapelookup.h"
#include "rules/single.h"

#include <cmath>

namespace {

bool isNear(const Control& piece, const Control& slot)
{
    const float dx = toSingle(std::fabs(static_cast<double>(piece.Left()) - slot.Left()));
    const float dy = toSingle(std::fabs(static_cast<double>(piece.Top()) - slot.Top()));
    return dx <= SNAP_TOLERANCE && dy <= SNAP_TOLERANCE;
}

} // namespace

void snapAfterMove(GameForm& form)
{
    GameState& s = form.state;
    const int16_t firstSlot = s.firstSlot;
    const int16_t lastSlot = s.lastSlot;

    // The first slot of the letter, in index order, that is near and wants
    // the block's shape takes it. A filled slot's Tag is empty, which no block
    // carries, so it never takes another.
    for (int16_t i = firstSlot; i <= lastSlot; ++i) {
        Image& slot = form.img_alpha[i];
        PictureBox& piece = form.Piece[s.selectedPiece];
        if (isNear(piece, slot) && piece.Tag() == slot.Tag()) {
            slot.setTag("");
            slot.setPicture(piece.Picture());
            piece.setVisible(false);
            s.dragging = false;
            s.selectedPiece = NO_PIECE;
            break;
        }
    }

    int16_t filled = 0;
    for (int16_t i = firstSlot; i <= lastSlot; ++i) {
        if (form.img_alpha[i].Tag().empty())
            ++filled;
    }
    if (filled != lastSlot - firstSlot + 1)
        return;

    // The letter is complete: every block comes home, red and shown.
    for (int k = 0; k < PIECE_COUNT; ++k) {
        form.Piece[k].setLeft(s.homeLeft[k]);
        form.Piece[k].setTop(s.homeTop[k]);
    }
    for (int k = 0; k < PIECE_COUNT; ++k) {
        form.Piece[k].setBackColor(COLOR_UNSELECTED);
        form.Piece[k].setVisible(true);
    }

    s.letterNo += 1;
    const std::optional<LetterRange> next = letterRange(s.letterNo);
    if (!next) {
        form.Label1.setCaption("VERY GOOD !");
        form.lblPicFile.setCaption("YOU FINISHED !");
        s.finished = true;
        return;
    }
    s.firstSlot = next->firstSlot;
    s.lastSlot = next->lastSlot;

    // The next letter turns from green to yellow, slot by slot.
    for (int16_t i = s.firstSlot; i <= s.lastSlot; ++i) {
        Image& slot = form.img_alpha[i];
        const Shape* shape = findShape(slot.Tag());
        if (shape)
            slot.setPicture(form.pictureFiles(shape->targetFile));
    }
}
