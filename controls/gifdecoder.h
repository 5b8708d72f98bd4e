#pragma once

#include "controls/picture.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// Larger picture files are refused unread: the file is read whole.
constexpr size_t MAX_PICTURE_FILE_BYTES = 16u << 20;

// Decodes a GIF held in memory, honouring its transparent colour; `source`
// names it in the picture and in errors. Only the first image is shown, but
// the file is walked to its trailer, so a file cut short anywhere fails with
// PictureLoadError, as does anything else that is not a sound GIF.
PicturePtr decodeGif(std::span<const uint8_t> bytes, const std::string& source);
