#pragma once

#include "controls/controls.h"
#include "design/colours.h"

#include <cstdint>

class GameForm;

// A block's BackColor is its selection mark: COLOR_SELECTED or COLOR_UNSELECTED.

/** Click on a block: selects it, or turns it one step if it is already selected. */
void Piece_Click(GameForm& form, int16_t Index);
