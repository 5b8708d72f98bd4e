#include "controls/pixels.h"

#include "controls/controls.h"

#include <algorithm>
#include <cmath>

namespace {

// Far beyond any screen, yet safe to add and subtract in int.
constexpr double PIXEL_LIMIT = 1 << 24;

} // namespace

int toPixels(float twips)
{
    const double pixels = std::clamp(std::round(twips / TWIPS_PER_PIXEL), -PIXEL_LIMIT, PIXEL_LIMIT);
    return std::isnan(pixels) ? 0 : static_cast<int>(pixels);
}

PixelBox pixelBox(const Control& control)
{
    const int left = toPixels(control.Left());
    const int top = toPixels(control.Top());
    return {left, top, left + toPixels(control.Width()), top + toPixels(control.Height())};
}
