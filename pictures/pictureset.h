#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// One generated file: its name relative to the output folder, and its bytes.
struct PictureFile {
    std::string name;
    std::vector<uint8_t> bytes;
};

/** Every picture the game needs: the sixteen picture files, the design-time pictures under "design/", then the
    application icons and the pad pointer as PNG under "icons/". */
std::vector<PictureFile> makePictureSet();

/** Writes makePictureSet() into `folder`, creating it and its subfolders. */
void writePictureSet(const std::filesystem::path& folder);
