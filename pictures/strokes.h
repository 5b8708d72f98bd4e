#pragma once

#include "design/colours.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

// The three looks of a stroke picture; only the stroke colour and colour
// table entry 0 differ between them.
enum class StrokeKind {
    Preview, // green: a letter whose turn has not come
    Target,  // yellow: an empty slot of the current letter
    Block,   // dark blue: a block, or a slot a block has filled
};

constexpr int STROKE_PICTURE_SIZE = 50;

/** Whether pixel (x, y) of a 50 x 50 stroke picture lies on the stroke of `tag`. */
bool inStroke(std::string_view tag, int x, int y);

/** Colour table index that the stroke uses in pictures of this kind. */
uint8_t strokeIndex(StrokeKind kind);

/** The 16-entry colour table of a stroke picture of this kind, as 0xRRGGBB. */
std::array<uint32_t, 16> strokeColourTable(StrokeKind kind);

/** The 2500 colour indexes of a stroke picture, top row first. */
std::vector<uint8_t> strokeIndexes(std::string_view tag, StrokeKind kind);

/** A complete stroke picture file in GIF89a. */
std::vector<uint8_t> encodeStrokeGif(std::string_view tag, StrokeKind kind);
