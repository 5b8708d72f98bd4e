#include "rules/startup.h"

#include "rules/gameform.h"

void Form_Load(GameForm& form)
{
    GameState& s = form.state;

    // The window's outer frame: the top left corner of a 1024 x 768 screen, all of it.
    form.Form1.setLeft(0);
    form.Form1.setTop(0);
    form.Form1.setWidth(15360);
    form.Form1.setHeight(11520);

    // A sweep across the pad carries a block, at four times the pointer's
    // movement, across the whole window less the block's own size.
    const double pieceWidth = form.Piece[0].Width();
    form.Picture1.setWidth(static_cast<float>(form.Form1.Width() / 4.0 - pieceWidth / 4.0));
    const double pieceHeight = form.Piece[0].Height();
    form.Picture1.setHeight(static_cast<float>(form.Form1.Height() / 4.0 - pieceHeight / 4.0));

    s.selectedPiece = NO_PIECE;
    s.dragging = false;
    s.finished = false;

    for (int i = 0; i < PIECE_COUNT; ++i) {
        s.homeLeft[i] = form.Piece[i].Left();
        s.homeTop[i] = form.Piece[i].Top();
    }

    s.letterNo = 0;
    s.firstSlot = 0;
    s.lastSlot = 2;

    form.Label1.setCaption("（１）赤いブロックをクリックして、そのブロックを選んだり、回したりします。");
    form.lblPicFile.setCaption("（２）マウスで青い四角をさして、選ばれたブロックを黄色文字まで引っ張る。");
}
