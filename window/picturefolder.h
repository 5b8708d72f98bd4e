#pragma once

#include <filesystem>
#include <vector>

// Where the sixteen picture files are read from while playing, and every
// place that was looked at to find it.
struct PictureFolder {
    PictureFolder(std::filesystem::path folder);
    PictureFolder(std::filesystem::path folder, std::vector<std::filesystem::path> searched);

    std::filesystem::path path;
    std::vector<std::filesystem::path> searched;

    /** Whether the folder is there. */
    bool exists() const;
};

// Finds the picture folder from the folder the program runs from: "pictures"
// beside it in a build tree, or in an installed tree, which may have been
// moved as a whole, "../share/zentrik/pictures" from its games/ or bin/ folder
// (ZENTRIK_PICTURES_FROM_BINDIR, set by the build). When neither
// exists, the installed place is the one tried, and `searched` lists both.
PictureFolder findPictureFolder(const std::filesystem::path& programDir);
