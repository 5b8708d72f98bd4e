#pragma once

#include "controls.h"
#include "design/colours.h"

#include <cstdint>

class Scene;

// A block's BackColor is its selection mark: COLOR_SELECTED or COLOR_UNSELECTED.

/** Click on a block: selects it, or turns it one step if it is already selected. */
void Piece_Click(Scene& form, int16_t Index);
