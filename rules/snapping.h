#pragma once

class GameForm;

// How close a block must come to a slot, in twips on each axis, to drop in.
constexpr float SNAP_TOLERANCE = 60;

/** After the dragged block has moved: drops it into a matching empty slot of
    the current letter, and when the letter is complete starts the next one. */
void snapAfterMove(GameForm& form);
