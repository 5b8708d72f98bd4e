#include "rules/board.h"
#include "tests/support/testgame.h"
#include "tests/support/windowdriver.h"
#include "window/pictureboxwidget.h"
#include "window/qtconvert.h"

#include <QMessageBox>

#include <gtest/gtest.h>

namespace {

// Plays every letter left, checking the screen after each one.
void playToTheEnd(WindowDriver& game)
{
    for (int letterNo = game.form().state.letterNo; letterNo < LETTER_COUNT; ++letterNo) {
        const LetterRange done = LETTERS[letterNo];
        game.playLetter();
        ASSERT_FALSE(testing::Test::HasFatalFailure()) << "letter " << done.letter;

        const QImage shot = game.grab();
        for (int slot = done.firstSlot; slot <= done.lastSlot; ++slot)
            EXPECT_EQ(shot.pixelColor(game.strokePixel(slot)), DARK_BLUE) << "slot " << slot;
        if (letterNo + 1 < LETTER_COUNT) {
            const LetterRange next = LETTERS[letterNo + 1];
            for (int slot = next.firstSlot; slot <= next.lastSlot; ++slot)
                EXPECT_EQ(shot.pixelColor(game.strokePixel(slot)), YELLOW) << "slot " << slot;
            if (letterNo + 2 < LETTER_COUNT) {
                EXPECT_EQ(shot.pixelColor(game.strokePixel(LETTERS[letterNo + 2].firstSlot)), GREEN);
            }
        }
        for (int piece = 0; piece < PIECE_COUNT; ++piece) {
            EXPECT_TRUE(game.window.pieceWidget(piece)->isVisible());
            EXPECT_EQ(game.window.pieceWidget(piece)->pos(), QPoint(toPixels(game.form().state.homeLeft[piece]), 534));
            EXPECT_EQ(shot.pixelColor(game.groundPixel(piece)), RED) << "block " << piece << " home and red";
        }
    }

    EXPECT_TRUE(game.form().state.finished);
    EXPECT_EQ(game.form().Label1.Caption(), "VERY GOOD !");
    EXPECT_EQ(game.form().lblPicFile.Caption(), "YOU FINISHED !");
    game.click(0);
    EXPECT_EQ(game.grab().pixelColor(game.groundPixel(0)), RED) << "a finished game ignores clicks";
}

} // namespace

// The whole alphabet through the real window: clicks on the blocks, drags on
// the pad, and the screen checked after every letter.
TEST(WholeGame, FromAToZThroughTheWindow)
{
    WindowDriver game;
    playToTheEnd(game);
}

// A block picture that cannot be read costs the player a message and the
// turned picture, never the game: the shape steps on past the missing file.
TEST(WholeGame, OneMissingBlockPictureStrandsNoLetter)
{
    WindowDriver game(pictureFolderWithout({"c_down2b.gif"}));
    const QPoint onTheC = game.window.pieceWidget(0)->pos() + QPoint(45, 2); // on "c", off "c_down" and "c_back"

    game.click(0);
    game.click(0);
    EXPECT_EQ(game.form().Piece[0].Tag(), "c_down");
    ASSERT_NE(game.window.failureMessage(), nullptr);
    EXPECT_TRUE(game.window.failureMessage()->text().contains("c_down2b.gif"));
    EXPECT_EQ(game.grab().pixelColor(onTheC), DARK_BLUE) << "the block still shows its \"c\"";

    game.click(0);
    EXPECT_EQ(game.form().Piece[0].Tag(), "c_back");
    EXPECT_EQ(game.grab().pixelColor(onTheC), SELECTED_ORANGE) << "the next turn shows its new picture";

    playToTheEnd(game);
}
