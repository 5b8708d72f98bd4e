#include "controls/picture.h"

#include "controls/gifdecoder.h"

#include <fstream>
#include <system_error>

Picture::Picture(int width, int height, std::vector<uint32_t> pixels, std::string source)
    : m_width(width)
    , m_height(height)
    , m_pixels(std::move(pixels))
    , m_source(std::move(source))
{
    if (width < 0 || height < 0 || m_pixels.size() != static_cast<size_t>(width) * static_cast<size_t>(height))
        throw std::invalid_argument("Picture: pixel count does not match the size");
}

PictureLoadError::PictureLoadError(std::string path, std::string reason)
    : std::runtime_error("cannot load picture \"" + path + "\": " + reason)
    , m_path(std::move(path))
    , m_reason(std::move(reason))
{
}

PicturePtr LoadPicture(const std::filesystem::path& path)
{
    const std::string name = path.string();
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found)
        throw PictureLoadError(name, "file not found");
    if (error)
        throw PictureLoadError(name, "cannot read file (" + error.message() + ")");
    if (!std::filesystem::is_regular_file(status))
        throw PictureLoadError(name, "not a regular file");
    const auto size = std::filesystem::file_size(path, error);
    if (error)
        throw PictureLoadError(name, "cannot read file (" + error.message() + ")");
    // Refused before reading, so a huge file costs nothing.
    if (size > MAX_PICTURE_FILE_BYTES)
        throw PictureLoadError(name, "file larger than 16 MiB");

    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw PictureLoadError(name, "cannot open file");
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (static_cast<size_t>(in.gcount()) != bytes.size())
        throw PictureLoadError(name, "cannot read file");
    return decodeGif(bytes, name);
}
