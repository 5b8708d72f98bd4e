#include "rules/dragging.h"
#include "rules/selection.h"
#include "tests/support/play.h"
#include "tests/support/testgame.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// Checks what must hold after every event, whatever the player did.
void checkInvariants(const TestGame& game, const std::array<bool, SLOT_COUNT>& wasFilled, int16_t previousLetter)
{
    const GameState& s = game.s;
    int selectedShown = 0;
    for (int i = 0; i < PIECE_COUNT; ++i) {
        const PictureBox& piece = game.form.Piece[i];
        if (!piece.Visible())
            continue;
        if (piece.BackColor() == COLOR_SELECTED) {
            ++selectedShown;
            ASSERT_EQ(s.selectedPiece, i);
        } else {
            ASSERT_EQ(piece.BackColor(), COLOR_UNSELECTED);
        }
    }
    ASSERT_LE(selectedShown, 1);
    for (int i = 0; i < SLOT_COUNT; ++i) {
        if (wasFilled[i]) {
            ASSERT_EQ(game.form.img_alpha[i].Tag(), "") << "slot " << i << " emptied again";
        }
    }
    ASSERT_GE(s.letterNo, previousLetter);
    if (s.dragging) {
        ASSERT_TRUE(s.selectedPiece >= 0 && s.selectedPiece < PIECE_COUNT);
    }
}

} // namespace

// Long random sequences of clicks and pad events, with pointers anywhere from
// the pad's middle to absurdly far away.
TEST(RandomPlay, InvariantsHoldAfterEveryEvent)
{
    for (unsigned seed = 1; seed <= 20; ++seed) {
        TestGame game;
        std::mt19937 random(seed);
        auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
        auto coordinate = [&]() -> float {
            switch (pick(4)) {
            case 0: return static_cast<float>(pick(3653));
            case 1: return static_cast<float>(pick(40000) - 20000);
            case 2: return std::ldexp(static_cast<float>(pick(2000) - 1000), pick(140));
            default: return static_cast<float>(pick(200)) * 15;
            }
        };
        std::array<bool, SLOT_COUNT> filled{};
        for (int event = 0; event < 5000; ++event) {
            const int16_t letter = game.s.letterNo;
            try {
                switch (pick(6)) {
                case 0: {
                    const int piece = pick(PIECE_COUNT);
                    if (game.form.Piece[piece].Visible()) // a hidden block gets no clicks
                        game.click(piece);
                    break;
                }
                case 1: Picture1_MouseDown(game.form, 1, 0, coordinate(), coordinate()); break;
                case 2: Picture1_MouseUp(game.form, 1, 0, coordinate(), coordinate()); break;
                case 5:
                    // Now and then a sound move, so the game gets on through its letters.
                    if (const std::optional<int> slot = nextEmptySlot(game.form); slot && pick(4) == 0)
                        game.fill(*slot);
                    break;
                default: Picture1_MouseMove(game.form, 1, 0, coordinate(), coordinate()); break;
                }
            } catch (const std::overflow_error&) {
                // A pointer so far out that the block's position overflows: refused.
            }
            checkInvariants(game, filled, letter);
            for (int i = 0; i < SLOT_COUNT; ++i)
                filled[i] = game.form.img_alpha[i].Tag().empty();
            if (HasFatalFailure())
                return;
        }
        // A sound move now and then takes every sequence through the alphabet.
        EXPECT_TRUE(game.s.finished) << "seed " << seed << " stopped at letter " << game.s.letterNo;
    }
}
