#pragma once

#include <array>
#include <cstdint>

// The game's colours. Window colours are stored as the window stores them,
// 0x00BBGGRR; picture colours as 0xRRGGBB, the way the picture files list them.

constexpr uint32_t COLOR_UNSELECTED = 255;   // red: the ground of a block that is not selected
constexpr uint32_t COLOR_SELECTED = 5223406; // &H004FB3EE, the window's orange: the selected block, the labels
constexpr uint32_t PAD_BLUE = 12582912;      // &H00C00000, the drag pad
constexpr uint32_t TEXT_BLUE = 8388608;      // &H00800000, the instructions

// Stroke colours, which tell the player where the game stands.
constexpr uint32_t PREVIEW_GREEN = 0x00FF00; // a letter whose turn has not come
constexpr uint32_t TARGET_YELLOW = 0xFFFF33; // an empty slot of the current letter
constexpr uint32_t BLOCK_BLUE = 0x0000CC;    // a block, or a slot a block has filled

// A stroke picture's 16-entry colour table: entry 0 depends on the kind of
// picture, entries 1 to 15 are shared. Index 15 is the transparent ground.
constexpr uint32_t TARGET_ENTRY_ZERO = 0xFF9999; // target pictures draw with index 10 instead
constexpr uint8_t TARGET_STROKE_INDEX = 10;
constexpr uint8_t STROKE_TRANSPARENT_INDEX = 15;
constexpr std::array<uint32_t, 15> STROKE_SHARED_ENTRIES = {
    0xFF99CC, 0xFF99FF, 0xFFCC00, 0xFFCC33, 0xFFCC66, 0xFFCC99, 0xFFCCCC, 0xFFCCFF,
    0xFFFF00, 0xFFFF33, 0xFFFF66, 0xFFFF99, 0xFFFFCC, 0xFFFFFF, 0xFFFFFF,
};
static_assert(STROKE_SHARED_ENTRIES[TARGET_STROKE_INDEX - 1] == TARGET_YELLOW);

/** 0xRRGGBB for a window colour. */
constexpr uint32_t toRgb(uint32_t colour)
{
    return ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}
