// The pad's drag as the front ends feed it: one pointer owns it, and a lost
// pointer ends it as a release would.

#include "rules/paddrag.h"
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
