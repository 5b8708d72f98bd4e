#pragma once

#include <array>
#include <cstdint>

// selectedPiece when no block is selected (7, one past a gap, not 6).
constexpr int16_t NO_PIECE = 7;

// Everything the handlers remember between two events. There is one, owned by
// the window; every field is zero until the start-up sets its own.
struct GameState {
    // Where the selected block stood and where the pointer was on the pad
    // when the current drag began.
    float grabLeft = 0;
    float grabTop = 0;
    float grabX = 0;
    float grabY = 0;

    int16_t selectedPiece = 0; // 0 to 5, or NO_PIECE
    bool dragging = false;

    // Each block's position at start-up, where a completed letter sends it back.
    std::array<float, 6> homeLeft{};
    std::array<float, 6> homeTop{};

    int16_t letterNo = 0;  // 0 for A to 25 for Z; 26 once Z is complete
    int16_t firstSlot = 0; // the current letter's slots in img_alpha, both ends included
    int16_t lastSlot = 0;
    bool finished = false; // Z is complete: clicks are ignored from now on
};
