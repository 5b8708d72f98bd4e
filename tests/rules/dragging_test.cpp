#include "rules/dragging.h"
#include "tests/support/testgame.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

// A game with block 2 selected and standing at (left, top).
struct DragGame : TestGame {
    DragGame(float left, float top)
    {
        click(2);
        form.Piece[2].setLeft(left);
        form.Piece[2].setTop(top);
    }
    void down(float x, float y) { Picture1_MouseDown(form, 1, 0, x, y); }
    void move(float x, float y) { Picture1_MouseMove(form, 1, 0, x, y); }
    void up() { Picture1_MouseUp(form, 1, 0, 0, 0); }
    float left() const { return form.Piece[2].Left(); }
    float top() const { return form.Piece[2].Top(); }
};

} // namespace

TEST(Dragging, WithNoBlockSelectedNothingStartsOrMoves)
{
    TestGame game;
    Picture1_MouseDown(game.form, 1, 0, 100, 100);
    EXPECT_FALSE(game.s.dragging);
    Picture1_MouseMove(game.form, 1, 0, 900, 900);
    for (int i = 0; i < PIECE_COUNT; ++i)
        EXPECT_EQ(game.form.Piece[i].Left(), game.s.homeLeft[i]);
}

TEST(Dragging, BlockMovesFourTimesThePointerAndComesBack)
{
    DragGame game(3000, 4000);
    game.down(100, 200);
    EXPECT_TRUE(game.s.dragging);
    EXPECT_EQ(game.s.grabLeft, 3000);
    EXPECT_EQ(game.s.grabY, 200);
    game.move(150, 180);
    EXPECT_EQ(game.left(), 3200);
    EXPECT_EQ(game.top(), 3920);
    game.move(100, 200);
    EXPECT_EQ(game.left(), 3000);
    EXPECT_EQ(game.top(), 4000);
}

TEST(Dragging, FractionalPadPositionsRoundOnceToSingle)
{
    DragGame game(1234.5f, 777.25f);
    game.down(10.1f, 20.3f);
    game.move(10.1f, 20.3f);
    EXPECT_EQ(game.left(), 1234.5f);
    EXPECT_EQ(game.top(), 777.25f);
    game.move(33.7f, 0.1f);
    EXPECT_EQ(game.left(), static_cast<float>((double(33.7f) - double(10.1f)) * 4 + 1234.5));
    EXPECT_EQ(game.top(), static_cast<float>((double(0.1f) - double(20.3f)) * 4 + 777.25));
}

TEST(Dragging, ButtonUpEndsTheDragAndLeavesTheBlock)
{
    DragGame game(3000, 4000);
    game.down(0, 0);
    game.move(10, 10);
    game.up();
    EXPECT_FALSE(game.s.dragging);
    game.move(500, 500);
    EXPECT_EQ(game.left(), 3040);
    EXPECT_EQ(game.s.selectedPiece, 2);
}

TEST(Dragging, SecondButtonDownReanchors)
{
    DragGame game(3000, 4000);
    game.down(0, 0);
    game.move(10, 0);
    game.down(500, 500);
    EXPECT_EQ(game.s.grabLeft, 3040);
    EXPECT_EQ(game.s.grabX, 500);
    game.move(501, 500);
    EXPECT_EQ(game.left(), 3044);
}

TEST(Dragging, BlockOnTheLimitsIsInsideAndMoves)
{
    for (auto [left, top] : {std::pair{0.f, 0.f}, {14210.f, 10160.f}}) {
        DragGame game(left, top);
        game.down(0, 0);
        game.move(0, 0);
        EXPECT_TRUE(game.s.dragging);
        EXPECT_EQ(game.left(), left);
        EXPECT_EQ(game.top(), top);
    }
}

TEST(Dragging, BlockOutsideIsPushedBackSixtyInsideAndTheDragEnds)
{
    struct Case {
        float left, top, wantLeft, wantTop;
    };
    for (const Case c : {Case{14210.5f, 500, 14150, 500}, Case{-0.5f, 500, 60, 500}, Case{500, 10161, 500, 10100},
                         Case{500, -20000, 500, 60}}) {
        DragGame game(c.left, c.top);
        game.down(0, 0);
        game.move(100, 100);
        EXPECT_FALSE(game.s.dragging);
        EXPECT_EQ(game.left(), c.wantLeft);
        EXPECT_EQ(game.top(), c.wantTop);
        game.move(200, 200);
        EXPECT_EQ(game.left(), c.wantLeft) << "a later move must do nothing";
    }
}

TEST(Dragging, MoveMayLeaveTheBoxUntilTheNextMove)
{
    DragGame game(14000, 500);
    game.down(0, 0);
    game.move(100, 0);
    EXPECT_EQ(game.left(), 14400);
    EXPECT_TRUE(game.s.dragging);
    game.move(100, 0);
    EXPECT_EQ(game.left(), 14150);
    EXPECT_FALSE(game.s.dragging);
}

TEST(Dragging, BlockBeyondBothLimitsComesBackOneAxisPerDrag)
{
    DragGame game(20000, 20000);
    game.down(0, 0);
    game.move(5, 5);
    EXPECT_EQ(game.left(), 14150);
    EXPECT_EQ(game.top(), 20000);
    game.down(0, 0);
    game.move(5, 5);
    EXPECT_EQ(game.left(), 14150);
    EXPECT_EQ(game.top(), 10100);
    game.down(0, 0);
    game.move(5, 5);
    EXPECT_EQ(game.left(), 14170);
}

TEST(Dragging, AnyButtonDrags)
{
    DragGame game(3000, 4000);
    Picture1_MouseDown(game.form, 2, 3, 0, 0);
    Picture1_MouseMove(game.form, 0, 0, 10, 0);
    EXPECT_EQ(game.left(), 3040);
}

TEST(Dragging, WildPointerThatOverflowsASingleFailsBeforeMovingTheBlock)
{
    DragGame game(3000, 4000);
    game.down(0, 0);
    EXPECT_THROW(game.move(std::numeric_limits<float>::max(), 0), std::overflow_error);
    EXPECT_EQ(game.left(), 3000);
    EXPECT_THROW(game.move(std::numeric_limits<float>::quiet_NaN(), 0), std::overflow_error);
    game.move(1e30f, 0);
    EXPECT_EQ(game.left(), 4e30f);
}
