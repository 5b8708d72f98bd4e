#pragma once

#include "controls/picture.h"

#include <filesystem>
#include <functional>
#include <string>

// Picture files on a disk, read whole and decoded by the game's own GIF
// reader (controls/gifdecoder.h), as the desktop reads its picture folder.

// Reads a GIF file, honouring its transparent colour. Throws PictureLoadError
// when the file is missing, unreadable, truncated or not a sound GIF.
PicturePtr LoadPicture(const std::filesystem::path& path);

/** Reads each picture file by its name from `folder`, with LoadPicture. */
std::function<PicturePtr(const std::string& name)> picturesIn(std::filesystem::path folder);
