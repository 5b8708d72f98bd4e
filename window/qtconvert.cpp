#include "window/qtconvert.h"

#include "design/colours.h"

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
    return QColor(QRgb{toRgb(colour)});
}
