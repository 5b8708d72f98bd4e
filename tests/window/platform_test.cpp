#include "tests/support/windowdriver.h"
#include "window/pictureboxwidget.h"
#include "window/qtconvert.h"

#include <QPointingDevice>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

// Runs only at a device pixel ratio of 2 (QT_SCALE_FACTOR=2): CTest starts
// this suite a second time with it.
TEST(HighDpi, EveryPicturePixelBecomesASharpTwoByTwoSquare)
{
    WindowDriver game;
    if (game.window.devicePixelRatio() != 2)
        GTEST_SKIP() << "needs QT_SCALE_FACTOR=2";

    game.click(2);
    game.click(2); // a diagonal, whose edges would show any smoothing
    const QImage shot = game.grab();
    ASSERT_EQ(shot.size(), game.window.size() * 2);

    auto square = [&](QPoint logical) {
        const QColor c = shot.pixelColor(logical * 2);
        for (QPoint d : {QPoint(1, 0), QPoint(0, 1), QPoint(1, 1)}) {
            if (shot.pixelColor(logical * 2 + d) != c)
                return QColor();
        }
        return c;
    };

    // Blocks and slots: only their exact colours, every one a whole square.
    for (int piece = 0; piece < PIECE_COUNT; ++piece) {
        const QRect box = pixelRect(game.form().Piece[piece]);
        const QColor ground = piece == 2 ? SELECTED_ORANGE : RED;
        for (int y = box.top(); y <= box.bottom(); ++y) {
            for (int x = box.left(); x <= box.right(); ++x) {
                const QColor c = square({x, y});
                ASSERT_TRUE(c == ground || c == DARK_BLUE) << "block " << piece << " at " << x << "," << y;
            }
        }
    }
    for (int slot = 0; slot < SLOT_COUNT; ++slot)
        EXPECT_EQ(square(game.strokePixel(slot)), slot <= 2 ? YELLOW : GREEN) << "slot " << slot;

    // The background is drawn at its own pixels, doubled, not smoothed.
    int sharp = 0;
    for (int y = 0; y < 100; ++y)
        sharp += square({950 + y % 7, 700 - y}).isValid();
    EXPECT_EQ(sharp, 100);
}

TEST(HighDpi, LayoutStaysInLogicalPixels)
{
    WindowDriver game;
    if (game.window.devicePixelRatio() != 2)
        GTEST_SKIP() << "needs QT_SCALE_FACTOR=2";
    EXPECT_EQ(game.window.frameGeometry(), QRect(0, 0, 1024, 768));
    EXPECT_EQ(game.window.padWidget()->pos(), QPoint(676, 484));
}

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
