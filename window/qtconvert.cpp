#include "window/qtconvert.h"

QRect pixelRect(const Control& control)
{
    const PixelBox box = pixelBox(control);
    return {box.left, box.top, box.width(), box.height()};
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
