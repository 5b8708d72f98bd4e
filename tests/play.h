#pragma once

#include <optional>

class Scene;

// How a sound player gets on through the game, for the tests, the fuzzer and
// the benchmarks, which each carry the moves out their own way.

/** The current letter's first empty slot, or none once the game is finished. */
std::optional<int> nextEmptySlot(const Scene& form);

/** A block on the board whose family can fill `slot`, or none. */
std::optional<int> freeBlockFor(const Scene& form, int slot);
