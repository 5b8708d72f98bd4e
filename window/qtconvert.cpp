#include "window/qtconvert.h"

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

QRect pixelRect(const Control& control)
{
    return {toPixels(control.Left()), toPixels(control.Top()), toPixels(control.Width()), toPixels(control.Height())};
}

QImage toQImage(const Picture& picture)
{
    return {reinterpret_cast<const uchar*>(picture.bits()), picture.width(), picture.height(),
            QImage::Format_ARGB32_Premultiplied};
}

QColor toQColor(Colour colour)
{
    return {static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
            static_cast<int>((colour >> 16) & 0xFF)};
}
