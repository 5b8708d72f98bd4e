#include "rules/board.h"
#include "rules/dragging.h"
#include "rules/selection.h"
#include "tests/support/testgame.h"

#include <gtest/gtest.h>

namespace {

std::string fileOf(const Image& slot)
{
    return std::filesystem::path(slot.Picture()->source()).filename().string();
}

// Plays letters until `letterNo` is the current one.
void playUntil(TestGame& game, int letterNo)
{
    while (game.s.letterNo < letterNo)
        game.playLetter();
}

} // namespace

TEST(Snapping, SixtyTwipsAwayOnBothAxesDropsInButSixtyOneDoesNot)
{
    const SlotDesign slot = SLOTS[2]; // A's "vert"
    for (auto [dx, dy, drops] : {std::tuple{60.f, 60.f, true},
                                 {-60.f, -60.f, true},
                                 {61.f, 0.f, false},
                                 {0.f, -61.f, false},
                                 {60.5f, 0.f, false}}) {
        TestGame game;
        game.dragTo(2, slot.Left + dx, slot.Top + dy);
        EXPECT_EQ(game.form.img_alpha[2].Tag().empty(), drops) << dx << ", " << dy;
        EXPECT_EQ(game.form.Piece[2].Visible(), !drops);
    }
}

TEST(Snapping, DropFillsTheSlotWithTheBlocksPictureAndEndsTheSelection)
{
    TestGame game;
    const PicturePtr picture = game.form.Piece[3].Picture();
    game.dragTo(3, 1560, 1290);
    const Image& slot = game.form.img_alpha[2];
    EXPECT_EQ(slot.Tag(), "");
    EXPECT_EQ(slot.Picture(), picture);
    EXPECT_FALSE(game.form.Piece[3].Visible());
    EXPECT_EQ(game.form.Piece[3].Left(), 1560);
    EXPECT_EQ(game.form.Piece[3].BackColor(), COLOR_SELECTED);
    EXPECT_EQ(game.s.selectedPiece, NO_PIECE);
    EXPECT_FALSE(game.s.dragging);
    EXPECT_EQ(game.s.letterNo, 0);

    // Further moves do nothing until a block is chosen again.
    Picture1_MouseMove(game.form, 1, 0, 0, 0);
    EXPECT_EQ(game.form.Piece[3].Left(), 1560);
    game.click(4);
    EXPECT_EQ(game.form.Piece[4].BackColor(), COLOR_SELECTED);
}

TEST(Snapping, BlockOfAnotherShapePassesBy)
{
    TestGame game;
    game.dragTo(0, 1560, 1290); // a "c" block on A's "vert" slot
    EXPECT_EQ(game.form.img_alpha[2].Tag(), "vert");
    EXPECT_TRUE(game.form.Piece[0].Visible());
    EXPECT_EQ(game.s.selectedPiece, 0);
}

TEST(Snapping, CrossedSlotsTakeTheBlockOfTheirOwnShape)
{
    for (auto [letter, piece, tag, filled, open] : {std::tuple{19, 2, "horz", 57, 56},
                                                    {19, 2, "vert", 56, 57},
                                                    {23, 3, "upright", 70, 69},
                                                    {23, 3, "upleft", 69, 70}}) {
        TestGame game;
        playUntil(game, letter);
        game.turnTo(piece, tag);
        const Image& slot = game.form.img_alpha[filled];
        game.dragTo(piece, slot.Left(), slot.Top());
        EXPECT_EQ(game.form.img_alpha[filled].Tag(), "") << tag;
        EXPECT_NE(game.form.img_alpha[open].Tag(), "") << tag;
    }
}

TEST(Progression, CompletingALoadsBsTargetsInSlotOrder)
{
    TestGame game;
    game.playLetter();
    EXPECT_EQ(game.s.letterNo, 1);
    EXPECT_EQ(game.s.firstSlot, 3);
    EXPECT_EQ(game.s.lastSlot, 6);
    const char* files[] = {"vert2.gif", "vert2.gif", "c2.gif", "c_back2.gif"};
    for (int i = 3; i <= 6; ++i)
        EXPECT_EQ(fileOf(game.form.img_alpha[i]), files[i - 3]);
    EXPECT_EQ(game.form.img_alpha[7].Picture()->source(), "design:preview_c.gif") << "C waits in green";
}

TEST(Progression, CompletedLetterSendsEveryBlockHomeRedAndShown)
{
    TestGame game;
    game.playLetter();
    for (int k = 0; k < PIECE_COUNT; ++k) {
        const PictureBox& piece = game.form.Piece[k];
        EXPECT_EQ(piece.Left(), game.s.homeLeft[k]);
        EXPECT_EQ(piece.Top(), game.s.homeTop[k]);
        EXPECT_EQ(piece.BackColor(), COLOR_UNSELECTED);
        EXPECT_TRUE(piece.Visible());
    }
    EXPECT_EQ(game.s.selectedPiece, NO_PIECE);
    // Blocks keep the shapes they were turned to.
    EXPECT_EQ(game.form.Piece[1].Tag(), "c_back");
}

TEST(Progression, OneBlockCompletesCAndI)
{
    TestGame game;
    playUntil(game, 2);
    game.fill(7);
    EXPECT_EQ(game.s.letterNo, 3);
    const char* dFiles[] = {"c2.gif", "c_back2.gif", "vert2.gif", "vert2.gif"};
    for (int i = 8; i <= 11; ++i)
        EXPECT_EQ(fileOf(game.form.img_alpha[i]), dFiles[i - 8]);
    playUntil(game, 8);
    game.fill(26);
    EXPECT_EQ(game.s.letterNo, 9);
    EXPECT_EQ(game.s.firstSlot, 27);
}

TEST(Progression, EveryLetterTakesItsRangeAndTheGameEndsAfterZ)
{
    TestGame game;
    for (int letterNo = 0; letterNo < 26; ++letterNo) {
        EXPECT_EQ(game.s.letterNo, letterNo);
        EXPECT_EQ(game.s.firstSlot, LETTERS[letterNo].firstSlot);
        EXPECT_EQ(game.s.lastSlot, LETTERS[letterNo].lastSlot);
        EXPECT_FALSE(game.s.finished);
        game.playLetter();
    }
    EXPECT_EQ(game.s.letterNo, 26);
    EXPECT_TRUE(game.s.finished);
    EXPECT_EQ(game.s.firstSlot, 74);
    EXPECT_EQ(game.s.lastSlot, 76);
    EXPECT_EQ(game.form.Label1.Caption(), "VERY GOOD !");
    EXPECT_EQ(game.form.lblPicFile.Caption(), "YOU FINISHED !");
    for (const Image& slot : game.form.img_alpha) {
        EXPECT_EQ(slot.Tag(), "");
        const std::string source = slot.Picture()->source();
        const bool blockPicture = source.ends_with("2b.gif") || source.starts_with("design:block_");
        EXPECT_TRUE(blockPicture) << source << ": every slot shows a block's dark blue stroke";
    }

    game.click(0);
    EXPECT_EQ(game.s.selectedPiece, NO_PIECE);
    EXPECT_EQ(game.form.Piece[0].BackColor(), COLOR_UNSELECTED);
}

TEST(Progression, MissingTargetPictureLeavesAPartialStepAndPlayGoesOn)
{
    TestGame game(pictureFolderWithout({"c2.gif"}));
    game.fill(0);
    game.fill(1);
    EXPECT_THROW(game.fill(2), PictureLoadError);

    // Everything before the failing load has happened.
    EXPECT_EQ(game.s.letterNo, 1);
    EXPECT_EQ(game.s.firstSlot, 3);
    EXPECT_EQ(game.s.lastSlot, 6);
    EXPECT_TRUE(game.form.Piece[2].Visible());
    EXPECT_EQ(game.form.Piece[2].Left(), game.s.homeLeft[2]);
    EXPECT_EQ(fileOf(game.form.img_alpha[3]), "vert2.gif");
    EXPECT_EQ(fileOf(game.form.img_alpha[4]), "vert2.gif");
    EXPECT_EQ(game.form.img_alpha[5].Picture()->source(), "design:preview_c.gif");
    EXPECT_EQ(game.form.img_alpha[6].Picture()->source(), "design:preview_c_back.gif");

    // Snapping goes by tags, so B can still be built.
    game.fill(3);
    game.fill(4);
    game.fill(5);
    EXPECT_THROW(game.fill(6), PictureLoadError); // C's target is the missing file again
    EXPECT_EQ(game.s.letterNo, 2);
}
