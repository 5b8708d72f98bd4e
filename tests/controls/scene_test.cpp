// The scene as the design lays it out, built from the game's block and slot
// tables, before the start-up or any play.

#include "design/colours.h"
#include "rules/board.h"
#include "rules/gameform.h"

#include <gtest/gtest.h>

namespace {

// A scene whose design pictures are stand-ins named "design:<name>".
struct TestScene {
    GameForm form{[](const std::string& name) {
        return std::make_shared<Picture>(1, 1, std::vector<uint32_t>(1), "design:" + name);
    }};
};

} // namespace

TEST(Scene, BlocksStandRedInTheirRowWithTheirDesignPictures)
{
    TestScene scene;
    const float lefts[] = {1650, 3015, 4380, 5730, 7095, 8460};
    for (int i = 0; i < PIECE_COUNT; ++i) {
        const PictureBox& piece = scene.form.Piece[i];
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
    TestScene scene;
    const GameForm& form = scene.form;
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
    TestScene scene;
    for (int i = 0; i < SLOT_COUNT; ++i) {
        const Image& slot = scene.form.img_alpha[i];
        EXPECT_EQ(slot.Left(), SLOTS[i].Left);
        EXPECT_EQ(slot.Top(), SLOTS[i].Top);
        EXPECT_EQ(slot.Width(), 750);
        EXPECT_EQ(slot.Tag(), SLOTS[i].Tag);
        const std::string kind = i <= 2 ? "target_" : "preview_";
        EXPECT_EQ(slot.Picture()->source(), "design:" + kind + SLOTS[i].Tag + ".gif") << i;
    }
}
