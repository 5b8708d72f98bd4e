#include "tests/support/windowdriver.h"
#include "window/pictureboxwidget.h"
#include "window/qtconvert.h"

#include <QPointingDevice>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

TEST(Touch, TapSelectsAndTurnsAndAFingerDragsOnThePad)
{
    WindowDriver game;
    const std::unique_ptr<QPointingDevice> device(QTest::createTouchDevice());
    QPointingDevice* finger = device.get();
    const QPoint block = game.window.pieceWidget(3)->geometry().center();

    QTest::touchEvent(&game.window, finger).press(0, block);
    QTest::touchEvent(&game.window, finger).release(0, block);
    EXPECT_EQ(game.form().state.selectedPiece, 3);
    EXPECT_EQ(game.form().Piece[3].Tag(), "vert");

    QTest::touchEvent(&game.window, finger).press(0, block);
    QTest::touchEvent(&game.window, finger).release(0, block);
    EXPECT_EQ(game.form().Piece[3].Tag(), "upright");

    const QPoint pad = game.window.padWidget()->geometry().center();
    QTest::touchEvent(&game.window, finger).press(0, pad);
    for (int step = 1; step <= 5; ++step)
        QTest::touchEvent(&game.window, finger).move(0, pad + QPoint(-4 * step, -2 * step));
    QTest::touchEvent(&game.window, finger).release(0, pad + QPoint(-20, -10));
    EXPECT_EQ(game.form().Piece[3].Left(), 5730 - 20 * 60);
    EXPECT_EQ(game.form().Piece[3].Top(), 8010 - 10 * 60);
}
