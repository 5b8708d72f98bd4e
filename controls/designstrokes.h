#pragma once

#include "controls/picture.h"

#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <string>

// The bytes of a design-time picture file built into the program, by its
// name ("block_c.gif"); empty where there is no such file.
using DesignFileBytes = std::function<std::span<const uint8_t>(const std::string& name)>;

// Hands the scene its design-time stroke pictures from the files each front
// end builds into its program, decoded by the game's own GIF reader like
// every picture the rules see. Each is decoded once, and the slots of one
// shape share it.
class DesignStrokes {
public:
    /** `where` + a file's name names its picture and its errors. */
    DesignStrokes(std::string where, DesignFileBytes bytes);

    /** The picture of the file `name`; throws PictureLoadError where it is missing or unsound. */
    PicturePtr operator()(const std::string& name);

private:
    std::string m_where;
    DesignFileBytes m_bytes;
    std::map<std::string, PicturePtr> m_decoded;
};
