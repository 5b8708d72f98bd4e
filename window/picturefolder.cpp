#include "picturefolder.h"

#include <system_error>

namespace fs = std::filesystem;

fs::path findPictureFolder(const fs::path& program)
{
    const fs::path dir = program.parent_path();
    std::error_code error;
    fs::path beside = dir / "pictures";
    if (fs::is_directory(beside, error))
        return beside;
    // The build passes the installed pictures' place relative to the program's.
    return (dir / ZENTRIK_PICTURES_FROM_BINDIR).lexically_normal();
}

fs::path findPictureFolder()
{
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    return findPictureFolder(error ? fs::path("zentrik") : program);
}
