#pragma once

#include "design/background.h"

#include <array>
#include <cstdint>
#include <vector>

/** The background's 16 palette entries in file order, as 0xRRGGBB. */
std::array<uint32_t, 16> backgroundPalette();

/** How many of the tile's pixels take each palette entry; they add up to the tile's area. */
std::array<int, 16> backgroundTileCounts();

/** The noise tile: palette indexes, top row first, the same on every run. */
std::vector<uint8_t> makeBackgroundTile();

/** The background picture: a 4-bit Windows bitmap of the tile repeated 4 x 4. */
std::vector<uint8_t> encodeBackgroundBmp();

/** The tile alone as a 4-bit palette PNG, which the page repeats across its scene. */
std::vector<uint8_t> encodeBackgroundTilePng();
