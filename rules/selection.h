#pragma once

#include "controls.h"

#include <cstdint>

class Scene;

// A block's BackColor is its selection mark.
constexpr Colour COLOR_UNSELECTED = 255;   // red
constexpr Colour COLOR_SELECTED = 5223406; // &H004FB3EE, the window's orange

/** Click on a block: selects it, or turns it one step if it is already selected. */
void Piece_Click(Scene& form, int16_t Index);
