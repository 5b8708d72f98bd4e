#pragma once

#include "controls/picture.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

// Picture files read whole and decoded by the game's own GIF reader
// (controls/gifdecoder.h): from a disk, as the desktop reads its picture
// folder, or from bytes that came whole, as the page's come.

// Reads a GIF file, honouring its transparent colour. Throws PictureLoadError
// when the file is missing, unreadable, truncated or not a sound GIF.
PicturePtr LoadPicture(const std::filesystem::path& path);

/** Reads each picture file by its name from `folder`, with LoadPicture. */
std::function<PicturePtr(const std::string& name)> picturesIn(std::filesystem::path folder);

// Picture files that came as bytes, by name, with why each other did not
// come, read as a folder is: each decoded anew as it is asked for.
struct PictureFileBytes {
    std::string address;                               // where they came from, ending in '/'
    std::map<std::string, std::vector<uint8_t>> files; // file name -> its bytes
    std::map<std::string, std::string> failures;       // file name -> why it could not be had

    /** Whether not one of the files came. */
    bool noneArrived() const { return files.empty(); }
    /** The picture of the file `name`; throws PictureLoadError naming its address where it did not come or is
        not a sound picture. */
    PicturePtr operator()(const std::string& name) const;
};
