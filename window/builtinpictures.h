#pragma once

#include "controls/picture.h"

#include <QImage>

#include <cstdint>
#include <span>
#include <string>

// The pictures compiled into the program, under ":/pictures/".

// Where the design-time pictures are, for DesignStrokes.
inline const std::string BUILT_IN_PICTURES = ":/pictures/";

/** The bytes of the file `name` built into the program, in place; empty where there is none. */
std::span<const uint8_t> builtInBytes(const std::string& name);

/** A picture only the window shows (the icons), read by Qt's image readers.
    Throws PictureLoadError. */
QImage builtInImage(const std::string& name);

/**
 * Decodes a Windows bitmap of 4 bits per pixel, uncompressed, as the
 * background is, to opaque 32-bit pixels; `source` names it in errors. Qt's
 * reader makes an 8-bit image of it first and wants a conversion after: three
 * passes over most of a million pixels and two images, where this makes one
 * of each. Throws PictureLoadError for anything else, or a file cut short.
 */
QImage decodeBitmap4(std::span<const uint8_t> bytes, const std::string& source);

/** The background built into the program, by decodeBitmap4. */
QImage builtInBitmap(const std::string& name);
