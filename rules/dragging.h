#pragma once

#include <cstdint>

class GameForm;

// Twips of block movement per twip of pointer movement on the drag pad.
constexpr float PAD_SCALE = 4;

// X and Y are the pointer's position inside the pad in twips; Button and Shift
// are never looked at: any button drags.

/** Button pressed on the pad: starts (or re-anchors) a drag of the selected block. */
void Picture1_MouseDown(GameForm& form, int16_t Button, int16_t Shift, float X, float Y);

/** Pointer moved on the pad: moves the dragged block, then snaps it and moves the game on. */
void Picture1_MouseMove(GameForm& form, int16_t Button, int16_t Shift, float X, float Y);

/** Button released on the pad: ends the drag; the block stays where it is. */
void Picture1_MouseUp(GameForm& form, int16_t Button, int16_t Shift, float X, float Y);
