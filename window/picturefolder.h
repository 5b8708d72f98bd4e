#pragma once

#include <filesystem>

// The folder of the sixteen picture files, found from the running program's
// own location: "pictures" beside it in a build tree, or in an installed tree
// ZENTRIK_PICTURES_FROM_BINDIR from the program's folder (set by the build,
// "../share/zentrik/pictures" from games/ or bin/). Returns
// the first that exists; the installed one when neither does, so that the
// error names the place a user would look.
std::filesystem::path findPictureFolder();

// The same search from a given program path.
std::filesystem::path findPictureFolder(const std::filesystem::path& program);
