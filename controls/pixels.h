#pragma once

// The window is laid out at 15 twips a pixel; every front end shows the
// controls at this scale before its own.
constexpr double TWIPS_PER_PIXEL = 15;

/** Pixels for a position or size in twips, rounded and held to a sane range. */
int toPixels(float twips);
