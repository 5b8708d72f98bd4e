#pragma once

class Control;

// The window is laid out at 15 twips a pixel; every front end shows the
// controls at this scale before its own.
constexpr double TWIPS_PER_PIXEL = 15;

/** Pixels for a position or size in twips, rounded and held to a sane range. */
int toPixels(float twips);

// A rectangle in the window's pixels, its right and bottom edges outside it.
struct PixelBox {
    int left;
    int top;
    int right;
    int bottom;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    /** Whether the two share a pixel; boxes that only touch do not. */
    bool crosses(const PixelBox& other) const
    {
        return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
    }
};

/** The pixels a control covers: its corner and its size each rounded, as every front end shows it. */
PixelBox pixelBox(const Control& control);
