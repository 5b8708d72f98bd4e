#pragma once

#include <optional>

class GameForm;

// How a sound player gets on through the game, for the tests, the fuzzer and
// the benchmarks, which each carry the moves out their own way.

/** The current letter's first empty slot, or none once the game is finished. */
std::optional<int> nextEmptySlot(const GameForm& form);

/** A block on the board whose family can fill `slot`, or none. */
std::optional<int> freeBlockFor(const GameForm& form, int slot);

// A pixel of the window's client area.
struct PixelPoint {
    int x;
    int y;
};

/** A pixel of slot `slot`'s stroke that no other slot draws over, or none. */
std::optional<PixelPoint> strokePixel(const GameForm& form, int slot);

/** The first pixel of block `piece` that shows its ground (or, with `stroke`, its stroke). */
PixelPoint blockPixel(const GameForm& form, int piece, bool stroke);
