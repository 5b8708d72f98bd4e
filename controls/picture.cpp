#include "controls/picture.h"

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
