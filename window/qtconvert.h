#pragma once

#include "controls/controls.h"
#include "controls/pixels.h"

#include <QColor>
#include <QImage>
#include <QRect>

// From the controls' units to Qt's: twips to pixels, 0x00BBGGRR to QColor,
// Picture to QImage.

/** The rectangle a control covers, in the window's pixels. */
QRect pixelRect(const Control& control);

/** A view of a picture's pixels, valid only while the picture lives: paint
    with it at once, or copy() it before Qt keeps it. */
QImage toQImage(const Picture& picture);

/** QColor for a 0x00BBGGRR colour. */
QColor toQColor(Colour colour);
