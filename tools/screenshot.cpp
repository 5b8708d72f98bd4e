// zentrik-screenshot <file.png>: plays the real window to a moment worth
// showing and saves what it draws there: A, B and C built, D's slots waiting,
// and the block for D's first slot selected, turned and half-way there.

#include "rules/shapelookup.h"
#include "tests/support/windowdriver.h"
#include "window/pictureboxwidget.h"

#include <QApplication>
#include <QTest>

#include <iostream>

namespace {

constexpr int LETTERS_DONE = 3;

// Selects a free block for the slot and turns it to the slot's shape.
int selectBlockFor(WindowDriver& game, int slot)
{
    const std::string tag = game.form().img_alpha[slot].Tag();
    const Family family = findShape(tag)->family;
    for (int piece = 0; piece < PIECE_COUNT; ++piece) {
        if (familyOf(static_cast<int16_t>(piece)) != family || !game.form().Piece[piece].Visible())
            continue;
        game.click(piece);
        for (int turns = 0; turns < 4 && game.form().Piece[piece].Tag() != tag; ++turns)
            game.click(piece);
        return piece;
    }
    return -1;
}

// Presses on the pad and moves half of the way that brings the block onto the
// slot, keeping the button down.
void dragHalfWay(WindowDriver& game, int piece, int slot)
{
    constexpr double TWIPS_PER_PAD_PIXEL = 15 * 4;
    const Image& target = game.form().img_alpha[slot];
    const PictureBox& block = game.form().Piece[piece];
    const QPoint delta(qRound((target.Left() - block.Left()) / TWIPS_PER_PAD_PIXEL / 2),
                       qRound((target.Top() - block.Top()) / TWIPS_PER_PAD_PIXEL / 2));
    QWidget* pad = game.window.padWidget();
    const QPoint start(delta.x() < 0 ? pad->width() - 1 : 0, delta.y() < 0 ? pad->height() - 1 : 0);
    QTest::mousePress(pad, Qt::LeftButton, {}, start);
    constexpr int STEPS = 6;
    for (int step = 1; step <= STEPS; ++step)
        QTest::mouseMove(pad, start + delta * step / STEPS);
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::cerr << "usage: zentrik-screenshot <file.png>\n";
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    WindowDriver game;
    for (int letter = 0; letter < LETTERS_DONE; ++letter)
        game.playLetter();
    const int slot = game.form().state.firstSlot;
    const int piece = game.form().state.letterNo == LETTERS_DONE ? selectBlockFor(game, slot) : -1;
    if (piece < 0) {
        std::cerr << "zentrik-screenshot: the game did not reach letter D with a block to move\n";
        return 1;
    }
    dragHalfWay(game, piece, slot);

    if (!game.grab().save(argv[1], "PNG")) {
        std::cerr << "zentrik-screenshot: cannot write " << argv[1] << '\n';
        return 1;
    }
    return 0;
}
