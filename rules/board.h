#pragma once

#include "controls/scene.h"
#include "design/alphabet.h"

#include <array>
#include <cstdint>
#include <optional>

// The six blocks in their row below the chart, by Piece index: curves first.
extern const std::array<PieceDesign, PIECE_COUNT> PIECES;

// The 77 slots that draw the alphabet chart, by img_alpha index.
extern const std::array<SlotDesign, SLOT_COUNT> SLOTS;

// The slots of one letter: a contiguous range of img_alpha, both ends included.
struct LetterRange {
    char letter;
    int16_t firstSlot;
    int16_t lastSlot;
};

extern const std::array<LetterRange, LETTER_COUNT> LETTERS;

/** The slot range of letter `letterNo` (0 for A to 25 for Z); none past Z. */
std::optional<LetterRange> letterRange(int16_t letterNo);
