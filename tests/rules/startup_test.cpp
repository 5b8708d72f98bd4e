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

TEST(Scene, BlocksStandRedInTheirRowWithTheirDesignPictures)
{
    TestGame game;
    const float lefts[] = {1650, 3015, 4380, 5730, 7095, 8460};
    for (int i = 0; i < PIECE_COUNT; ++i) {
        const PictureBox& piece = game.form.Piece[i];
        EXPECT_EQ(piece.Left(), lefts[i]);
        EXPECT_EQ(piece.Top(), 8010);
        EXPECT_EQ(piece.Width(), 750);
        EXPECT_EQ(piece.Height(), 750);
        EXPECT_EQ(piece.BackColor(), COLOR_UNSELECTED);
        EXPECT_TRUE(piece.Visible());
        const std::string tag = i < 2 ? "c" : "vert";
        EXPECT_EQ(piece.Tag(), tag);
        EXPECT_EQ(piece.Picture()->source(), "design:block_" + tag + ".gif");
    }
}

TEST(Scene, PadAndLabelsHaveTheirDesignValues)
{
    TestGame game;
    const GameForm& form = game.form;
    EXPECT_EQ(form.Picture1.BackColor(), 12582912u);
    EXPECT_EQ(form.Picture1.Tag(), "");
    EXPECT_EQ(form.Picture1.Picture(), nullptr);
    EXPECT_EQ(form.Form1.Caption(), "Zentrik");
    EXPECT_EQ(form.Form1.BackColor(), 5223406u);
    for (const Label* label : {&form.Label1, &form.lblPicFile}) {
        EXPECT_EQ(label->BackColor(), 5223406u);
        EXPECT_EQ(label->ForeColor(), 8388608u);
        EXPECT_EQ(label->Font().Name, "ＭＳ Ｐゴシック");
        EXPECT_EQ(label->Font().Size, 9);
        EXPECT_TRUE(label->Font().Bold);
    }
    EXPECT_EQ(form.Label1.Left(), 2460);
    EXPECT_EQ(form.Label1.Top(), 9270);
    EXPECT_EQ(form.Label1.Width(), 7185);
    EXPECT_EQ(form.Label1.Height(), 225);
    EXPECT_EQ(form.lblPicFile.Left(), 2580);
    EXPECT_EQ(form.lblPicFile.Top(), 9720);
    EXPECT_EQ(form.lblPicFile.Width(), 7215);
    EXPECT_EQ(form.lblPicFile.Height(), 285);
}

TEST(Scene, SlotsShowLetterAAsTargetsAndTheRestAsPreviews)
{
    TestGame game;
    for (int i = 0; i < SLOT_COUNT; ++i) {
        const Image& slot = game.form.img_alpha[i];
        EXPECT_EQ(slot.Left(), SLOTS[i].Left);
        EXPECT_EQ(slot.Top(), SLOTS[i].Top);
        EXPECT_EQ(slot.Width(), 750);
        EXPECT_EQ(slot.Tag(), SLOTS[i].Tag);
        const std::string kind = i <= 2 ? "target_" : "preview_";
        EXPECT_EQ(slot.Picture()->source(), "design:" + kind + SLOTS[i].Tag + ".gif") << i;
    }
}
