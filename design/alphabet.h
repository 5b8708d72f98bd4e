#pragma once

// The chart's letters, A to Z, built in order: the rules count the game by
// them, and whoever hears the game's progress (a learning platform) counts
// the share of the alphabet built by them.
constexpr int LETTER_COUNT = 26;
