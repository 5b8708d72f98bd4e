// The window on a screen at twice the pixels: this program's main asks Qt for
// a scale factor of 2 before the application starts.

#include "tests/support/windowdriver.h"
#include "window/pictureboxwidget.h"
#include "window/qtconvert.h"

#include <gtest/gtest.h>

TEST(HighDpi, EveryPicturePixelBecomesASharpTwoByTwoSquare)
{
    WindowDriver game;
    ASSERT_EQ(game.window.devicePixelRatio(), 2) << "the screen is not at twice the pixels";

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
    ASSERT_EQ(game.window.devicePixelRatio(), 2) << "the screen is not at twice the pixels";
    EXPECT_EQ(game.window.frameGeometry(), QRect(0, 0, 1024, 768));
    EXPECT_EQ(game.window.padWidget()->pos(), QPoint(676, 484));
}
