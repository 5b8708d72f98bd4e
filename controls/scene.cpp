#include "controls/scene.h"

#include "design/colours.h"

namespace {

// The window's own orange, which the labels and the selected block share.
constexpr Colour WINDOW_ORANGE = COLOR_SELECTED;

constexpr float BLOCK_SIZE = 750;

// Letter A's three slots open the game as its current letter, so they show
// target pictures; every other slot shows a preview.
constexpr int FIRST_LETTER_SLOTS = 3;

void designLabel(Label& label, const char* name, float left, float top, float width, float height)
{
    label.design(name, -1, left, top, width, height);
    label.setBackColor(WINDOW_ORANGE);
    label.setForeColor(TEXT_BLUE);
    label.setFont({"ＭＳ Ｐゴシック", 9, true});
}

} // namespace

Scene::Scene(std::span<const PieceDesign, PIECE_COUNT> pieces, std::span<const SlotDesign, SLOT_COUNT> slots,
             const DesignPictures& pictures)
{
    Form1.design("Form1", -1, 0, 0, 15090, 11145);
    Form1.setCaption("Zentrik");
    Form1.setBackColor(WINDOW_ORANGE);

    for (int i = 0; i < PIECE_COUNT; ++i) {
        PictureBox& piece = Piece[i];
        piece.design("Piece", static_cast<int16_t>(i), pieces[i].Left, pieces[i].Top, BLOCK_SIZE, BLOCK_SIZE);
        piece.setBackColor(COLOR_UNSELECTED);
        piece.setTag(pieces[i].Tag);
        piece.setPicture(pictures(std::string("block_") + pieces[i].Tag + ".gif"));
    }

    Picture1.design("Picture1", -1, 10140, 7260, 3510, 2325);
    Picture1.setBackColor(PAD_BLUE);

    for (int i = 0; i < SLOT_COUNT; ++i) {
        Image& slot = img_alpha[i];
        slot.design("img_alpha", static_cast<int16_t>(i), slots[i].Left, slots[i].Top, BLOCK_SIZE, BLOCK_SIZE);
        slot.setTag(slots[i].Tag);
        const char* kind = i < FIRST_LETTER_SLOTS ? "target_" : "preview_";
        slot.setPicture(pictures(kind + slot.Tag() + ".gif"));
    }

    designLabel(Label1, "Label1", 2460, 9270, 7185, 225);
    designLabel(lblPicFile, "lblPicFile", 2580, 9720, 7215, 285);
}

void Scene::observe(ControlObserver* observer)
{
    Form1.setObserver(observer);
    for (auto& piece : Piece)
        piece.setObserver(observer);
    Picture1.setObserver(observer);
    for (auto& slot : img_alpha)
        slot.setObserver(observer);
    Label1.setObserver(observer);
    lblPicFile.setObserver(observer);
}

std::vector<const Control*> Scene::standingOrder() const
{
    std::vector<const Control*> order;
    for (const Image& slot : img_alpha)
        order.push_back(&slot);
    order.insert(order.end(), {&Label1, &lblPicFile, &Picture1});
    for (int index : PIECE_STANDING_ORDER)
        order.push_back(&Piece[index]);
    return order;
}
