#include "tests/support/play.h"

#include "rules/gameform.h"
#include "rules/shapes.h"

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
