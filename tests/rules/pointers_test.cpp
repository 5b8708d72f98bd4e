// The pad's drag and the blocks' clicks as the front ends feed them: one
// pointer owns the pad, a lost pointer ends a drag as a release would, and a
// click is a main press and a release on one block.

#include "rules/pointers.h"
#include "tests/support/testgame.h"

#include <gtest/gtest.h>

namespace {

constexpr int FINGER = 1;
constexpr int OTHER_FINGER = 2;

// A game with block 2 selected, standing at (3000, 4000).
struct PadGame : TestGame {
    PadGame()
    {
        click(2);
        form.Piece[2].setLeft(3000);
        form.Piece[2].setTop(4000);
    }
    float left() const { return form.Piece[2].Left(); }
    PadDrag drag;
};

} // namespace

TEST(PadDrag, ASecondPointerNeitherTakesNorMovesNorEndsTheDrag)
{
    PadGame game;
    game.drag.press(game.form, FINGER, 100, 100);
    EXPECT_FALSE(game.drag.mayPress(OTHER_FINGER));
    game.drag.press(game.form, OTHER_FINGER, 500, 500);
    game.drag.move(game.form, OTHER_FINGER, 600, 500);
    game.drag.release(game.form, OTHER_FINGER, 600, 500);
    EXPECT_EQ(game.left(), 3000);
    EXPECT_EQ(game.drag.owner(), FINGER);

    game.drag.move(game.form, FINGER, 150, 100);
    EXPECT_EQ(game.left(), 3200) << "the grab stayed where the owner pressed";
}

TEST(PadDrag, ALostPointerEndsTheDragAndLetsThePadGo)
{
    PadGame game;
    game.drag.press(game.form, FINGER, 100, 100);
    game.drag.move(game.form, FINGER, 150, 100);
    game.drag.lose(game.form, FINGER);
    EXPECT_FALSE(game.s.dragging);
    EXPECT_FALSE(game.drag.owner());

    game.drag.move(game.form, FINGER, 300, 100);
    EXPECT_EQ(game.left(), 3200) << "the block stays where the lost pointer left it";
    game.drag.press(game.form, OTHER_FINGER, 300, 100);
    EXPECT_EQ(game.drag.owner(), OTHER_FINGER);
}

TEST(PieceClicks, OnlyAMainPressAndItsReleaseOnTheSameBlockClick)
{
    TestGame game;
    PieceClicks clicks;
    clicks.press(FINGER, 3, true);
    clicks.release(game.form, FINGER, 4);
    clicks.press(FINGER, 3, false);
    clicks.release(game.form, FINGER, 3);
    clicks.press(FINGER, 3, true);
    clicks.lose(FINGER);
    clicks.release(game.form, FINGER, 3);
    clicks.press(FINGER, 3, true);
    clicks.release(game.form, OTHER_FINGER, 3);
    EXPECT_EQ(game.s.selectedPiece, NO_PIECE) << "released elsewhere, another button, lost, another pointer";

    clicks.press(FINGER, 3, true);
    clicks.press(FINGER, 1, false);
    clicks.press(OTHER_FINGER, 1, true);
    clicks.release(game.form, FINGER, 3);
    EXPECT_EQ(game.s.selectedPiece, 3) << "the main press outlives another button's and another pointer's";
}
