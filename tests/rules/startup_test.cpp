#include "rules/board.h"
#include "rules/selection.h"
#include "tests/support/testgame.h"

#include <gtest/gtest.h>

#include <string>

namespace {

size_t characters(const std::string& utf8)
{
    size_t count = 0;
    for (unsigned char c : utf8)
        count += (c & 0xC0) != 0x80;
    return count;
}

} // namespace

TEST(StartUp, PlacesTheWindowAndSizesThePadFromItAndTheFirstBlock)
{
    TestGame game;
    const GameForm& form = game.form;
    EXPECT_EQ(form.Form1.Left(), 0);
    EXPECT_EQ(form.Form1.Top(), 0);
    EXPECT_EQ(form.Form1.Width(), 15360);
    EXPECT_EQ(form.Form1.Height(), 11520);
    EXPECT_EQ(form.Picture1.Width(), 3652.5f);
    EXPECT_EQ(form.Picture1.Height(), 2692.5f);
    EXPECT_EQ(form.Picture1.Left(), 10140);
    EXPECT_EQ(form.Picture1.Top(), 7260);
}

TEST(StartUp, BeginsAtLetterAWithNothingSelectedAndEveryHomeRecorded)
{
    TestGame game;
    const GameState& s = game.s;
    EXPECT_EQ(s.selectedPiece, NO_PIECE);
    EXPECT_FALSE(s.dragging);
    EXPECT_FALSE(s.finished);
    EXPECT_EQ(s.letterNo, 0);
    EXPECT_EQ(s.firstSlot, 0);
    EXPECT_EQ(s.lastSlot, 2);
    EXPECT_EQ(s.grabLeft, 0);
    EXPECT_EQ(s.grabX, 0);
    const float homes[] = {1650, 3015, 4380, 5730, 7095, 8460};
    for (int i = 0; i < PIECE_COUNT; ++i) {
        EXPECT_EQ(s.homeLeft[i], homes[i]);
        EXPECT_EQ(s.homeTop[i], 8010);
    }
}

TEST(StartUp, PutsUpTheTwoInstructions)
{
    TestGame game;
    const std::string first = game.form.Label1.Caption();
    const std::string second = game.form.lblPicFile.Caption();
    EXPECT_EQ(first, "（１）赤いブロックをクリックして、そのブロックを選んだり、回したりします。");
    EXPECT_EQ(second, "（２）マウスで青い四角をさして、選ばれたブロックを黄色文字まで引っ張る。");
    EXPECT_EQ(characters(first), 37u);
    EXPECT_EQ(characters(second), 36u);
}
