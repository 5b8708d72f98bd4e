#include "controls/loadpicture.h"

#include "controls/gifdecoder.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <system_error>
#include <vector>

namespace {

// Why the last system call failed, in the C library's words.
std::string systemReason()
{
    const int cause = errno;
    return cause != 0 ? std::generic_category().message(cause) : "the system gave no reason";
}

} // namespace

PicturePtr LoadPicture(const std::filesystem::path& path)
{
    const std::string name = path.string();
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found)
        throw PictureLoadError(name, "file not found");
    if (error)
        throw PictureLoadError(name, "cannot read the file: " + error.message());
    if (!std::filesystem::is_regular_file(status))
        throw PictureLoadError(name, "not a regular file");
    const auto size = std::filesystem::file_size(path, error);
    if (error)
        throw PictureLoadError(name, "cannot read the file: " + error.message());
    // Refused before reading, so a huge file costs nothing.
    if (size > MAX_PICTURE_FILE_BYTES)
        throw PictureLoadError(name, "file larger than 16 MiB");

    // The C library's files, not streams: the file is read whole in one go,
    // and the page is spared the streams' code, a large part of its WebAssembly.
    errno = 0;
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(name.c_str(), "rb"), std::fclose);
    if (!file)
        throw PictureLoadError(name, "cannot open the file: " + systemReason());
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    const size_t got = std::fread(bytes.data(), 1, bytes.size(), file.get());
    if (std::ferror(file.get()))
        throw PictureLoadError(name, "cannot read the file: " + systemReason());
    if (got != bytes.size())
        throw PictureLoadError(name,
                               "the file ended after " + std::to_string(got) + " of its " + std::to_string(size)
                                   + " bytes while it was read");
    return decodeGif(bytes, name);
}

std::function<PicturePtr(const std::string& name)> picturesIn(std::filesystem::path folder)
{
    return [folder = std::move(folder)](const std::string& name) { return LoadPicture(folder / name); };
}

PicturePtr PictureFileBytes::operator()(const std::string& name) const
{
    const auto failure = failures.find(name);
    if (failure != failures.end())
        throw PictureLoadError(address + name, failure->second);
    const auto file = files.find(name);
    if (file == files.end())
        throw PictureLoadError(address + name, "not one of the game's picture files");
    return decodeGif(file->second, address + name);
}
