#include "tests/support/play.h"

#include "controls/pixels.h"
#include "rules/gameform.h"
#include "rules/shapelookup.h"

std::optional<int> nextEmptySlot(const GameForm& form)
{
    const GameState& s = form.state;
    if (s.finished)
        return std::nullopt;
    for (int i = s.firstSlot; i <= s.lastSlot; ++i) {
        if (!form.img_alpha[i].Tag().empty())
            return i;
    }
    return std::nullopt;
}

std::optional<int> freeBlockFor(const GameForm& form, int slot)
{
    const Shape* shape = findShape(form.img_alpha[slot].Tag());
    if (!shape)
        return std::nullopt;
    for (int piece = 0; piece < PIECE_COUNT; ++piece) {
        if (familyOf(static_cast<int16_t>(piece)) == shape->family && form.Piece[piece].Visible())
            return piece;
    }
    return std::nullopt;
}

namespace {

bool opaqueAt(const Image& slot, int x, int y)
{
    const int localX = x - toPixels(slot.Left());
    const int localY = y - toPixels(slot.Top());
    const Picture& picture = *slot.Picture();
    return localX >= 0 && localY >= 0 && localX < picture.width() && localY < picture.height()
        && picture.pixel(localX, localY) != 0;
}

} // namespace

std::optional<PixelPoint> strokePixel(const GameForm& form, int slot)
{
    const Image& own = form.img_alpha[slot];
    const int left = toPixels(own.Left());
    const int top = toPixels(own.Top());
    for (int y = top; y < top + toPixels(own.Height()); ++y) {
        for (int x = left; x < left + toPixels(own.Width()); ++x) {
            if (!opaqueAt(own, x, y))
                continue;
            bool alone = true;
            for (const Image& other : form.img_alpha)
                alone = alone && (&other == &own || !opaqueAt(other, x, y));
            if (alone)
                return PixelPoint{x, y};
        }
    }
    return std::nullopt;
}

PixelPoint blockPixel(const GameForm& form, int piece, bool stroke)
{
    const PictureBox& block = form.Piece[piece];
    const Picture& picture = *block.Picture();
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if ((picture.pixel(x, y) != 0) == stroke)
                return {toPixels(block.Left()) + x, toPixels(block.Top()) + y};
        }
    }
    return {toPixels(block.Left()), toPixels(block.Top())};
}
