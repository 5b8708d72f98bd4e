#pragma once

class GameForm;

// The window's Load event: places and sizes the window, sizes the drag pad,
// records the blocks' home positions, starts at the letter A with no block
// selected and puts up the two instructions.
void Form_Load(GameForm& form);
