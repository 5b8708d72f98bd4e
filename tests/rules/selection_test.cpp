#include "rules/selection.h"
#include "tests/support/testgame.h"

#include <gtest/gtest.h>

TEST(Selection, FirstClickSelectsAndNeverTurns)
{
    TestGame game;
    game.click(3);
    EXPECT_EQ(game.s.selectedPiece, 3);
    for (int i = 0; i < PIECE_COUNT; ++i)
        EXPECT_EQ(game.form.Piece[i].BackColor(), i == 3 ? COLOR_SELECTED : COLOR_UNSELECTED);
    EXPECT_EQ(game.form.Piece[3].Tag(), "vert");
    EXPECT_EQ(game.form.Piece[3].Picture()->source(), "design:block_vert.gif");
}

TEST(Selection, ClickingAnotherBlockMovesTheSelectionAndLeavesTheFirstAsItWas)
{
    TestGame game;
    game.click(0);
    game.click(0); // turned to c_down
    game.click(4);
    EXPECT_EQ(game.s.selectedPiece, 4);
    EXPECT_EQ(game.form.Piece[0].BackColor(), COLOR_UNSELECTED);
    EXPECT_EQ(game.form.Piece[4].BackColor(), COLOR_SELECTED);
    EXPECT_EQ(game.form.Piece[0].Tag(), "c_down");
    EXPECT_EQ(game.form.Piece[4].Tag(), "vert");
}

TEST(Selection, ClickingTheSelectedBlockTurnsItOneStepWithItsNewPicture)
{
    TestGame game;
    game.click(2);
    game.click(2);
    const PictureBox& piece = game.form.Piece[2];
    EXPECT_EQ(piece.Tag(), "upright");
    EXPECT_EQ(piece.Picture()->source(), (PICTURE_DIR / "upright2b.gif").string());
    EXPECT_EQ(piece.BackColor(), COLOR_SELECTED);
    EXPECT_EQ(game.s.selectedPiece, 2);
}

TEST(Selection, FourTurnsComeBackToTheStartingShapeFromItsFile)
{
    TestGame game;
    for (int piece : {1, 5}) {
        const std::string start = game.form.Piece[piece].Tag();
        game.click(piece);
        for (int turn = 0; turn < 4; ++turn)
            game.click(piece);
        EXPECT_EQ(game.form.Piece[piece].Tag(), start);
        EXPECT_EQ(game.form.Piece[piece].Picture()->source(), (PICTURE_DIR / (start + "2b.gif")).string());
    }
}

TEST(Selection, FamilyComesFromTheIndex)
{
    TestGame game;
    game.click(1);
    game.click(1);
    EXPECT_EQ(game.form.Piece[1].Tag(), "c_down");
    game.click(5);
    game.click(5);
    EXPECT_EQ(game.form.Piece[5].Tag(), "upright");
}

TEST(Selection, FinishedGameIgnoresEveryClick)
{
    TestGame game;
    game.click(2);
    game.s.finished = true;
    game.click(2);
    game.click(0);
    EXPECT_EQ(game.s.selectedPiece, 2);
    EXPECT_EQ(game.form.Piece[2].Tag(), "vert");
    EXPECT_EQ(game.form.Piece[0].BackColor(), COLOR_UNSELECTED);
}

// A turn whose picture cannot be read still steps the tag on, so the next
// turn moves past the missing file instead of failing on it for ever.
TEST(Selection, FailedTurnKeepsTheNewTagAndTheOldPicture)
{
    TestGame game(pictureFolderWithout({"c_down2b.gif"}));
    game.click(4);
    game.click(0);
    const PicturePtr before = game.form.Piece[0].Picture();
    try {
        game.click(0);
        FAIL() << "the turn should fail";
    } catch (const PictureLoadError& error) {
        EXPECT_EQ(error.path(), (game.folder / "c_down2b.gif").string());
    }
    EXPECT_EQ(game.form.Piece[0].Tag(), "c_down");
    EXPECT_EQ(game.form.Piece[0].Picture(), before);
    EXPECT_EQ(game.s.selectedPiece, 0);
    EXPECT_EQ(game.form.Piece[0].BackColor(), COLOR_SELECTED);
    EXPECT_EQ(game.form.Piece[4].BackColor(), COLOR_UNSELECTED);

    game.click(0);
    EXPECT_EQ(game.form.Piece[0].Tag(), "c_back");
    EXPECT_EQ(game.form.Piece[0].Picture()->source(), (game.folder / "c_back2b.gif").string());
}

TEST(Selection, FailedSelectingClickOnAnotherBlockStillSelects)
{
    TestGame game(pictureFolderWithout({"upright2b.gif"}));
    game.click(2);
    EXPECT_THROW(game.click(2), PictureLoadError);
    game.click(3);
    EXPECT_EQ(game.s.selectedPiece, 3);
    EXPECT_EQ(game.form.Piece[3].BackColor(), COLOR_SELECTED);
}
