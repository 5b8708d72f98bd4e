#pragma once

#include "controls/picture.h"

#include <QImage>

#include <map>
#include <string>

// The pictures compiled into the program, under ":/pictures/".

// Hands out the design-time stroke pictures, decoded by the game's own GIF
// reader like every picture the rules see; each is decoded once, and the
// slots of one shape share it.
class DesignStrokes {
public:
    PicturePtr operator()(const std::string& name);

private:
    std::map<std::string, PicturePtr> m_decoded;
};

/** A picture only the window shows (the background, the icons), read by Qt's
    image readers. Throws PictureLoadError. */
QImage builtInImage(const std::string& name);
