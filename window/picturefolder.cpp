#include "window/picturefolder.h"

#include <system_error>

namespace fs = std::filesystem;

PictureFolder::PictureFolder(fs::path folder)
    : path(folder)
    , searched{std::move(folder)}
{
}

PictureFolder::PictureFolder(fs::path folder, std::vector<fs::path> searched)
    : path(std::move(folder))
    , searched(std::move(searched))
{
}

bool PictureFolder::exists() const
{
    std::error_code error;
    return fs::is_directory(path, error);
}

PictureFolder findPictureFolder(const fs::path& programDir)
{
    const fs::path beside = programDir / "pictures";
    // The build passes the installed pictures' place relative to the program's folder.
    const fs::path installed = (programDir / ZENTRIK_PICTURES_FROM_BINDIR).lexically_normal();
    std::error_code error;
    return {fs::is_directory(beside, error) ? beside : installed, {beside, installed}};
}
