#pragma once

#include "pictures/icofile.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

// One colour of a piece of pixel art: the character that stands for it in the grid.
struct ArtColour {
    char symbol;
    uint32_t rgb;
};

/** Builds an icon image from a square character grid; '.' is transparent, palette index 0 (black). */
IconImage iconFromArt(std::span<const std::string_view> rows, std::span<const ArtColour> legend,
                      std::span<const uint32_t> palette);

/** The window icon: a seated teddy bear facing left, 8 bits per pixel. */
IconImage windowIconImage();

/** The drag pad's pointer: a three-button mouse seen from above, 4 bits per pixel. */
IconImage padPointerImage();

/** The window icon as an icon file. */
std::vector<uint8_t> encodeWindowIcon();

/** The pad pointer as an icon file. */
std::vector<uint8_t> encodePadPointer();
