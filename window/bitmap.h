#pragma once

#include "picture.h"

#include <cstdint>
#include <span>
#include <string>

// Reads a Windows bitmap: 1, 4 or 8 bits per pixel with a palette,
// uncompressed, rows bottom-up or top-down. Throws PictureLoadError.
PicturePtr decodeBitmap(std::span<const uint8_t> bytes, const std::string& source);

// Reads the first image of an icon file: 1, 4 or 8 bits per pixel with a
// palette and a transparency mask. Throws PictureLoadError.
PicturePtr decodeIcon(std::span<const uint8_t> bytes, const std::string& source);
