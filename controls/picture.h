#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// A decoded picture: width x height pixels, each 0xAARRGGBB with premultiplied
// alpha (a transparent pixel is 0, an opaque one 0xFFRRGGBB). Pictures never
// change once made, so controls share them freely: assigning one control's
// picture to another shows the same object in both.
class Picture {
public:
    Picture(int width, int height, std::vector<uint32_t> pixels, std::string source);

    int width() const { return m_width; }
    int height() const { return m_height; }
    uint32_t pixel(int x, int y) const { return m_pixels[static_cast<size_t>(y) * m_width + x]; }
    const uint32_t* bits() const { return m_pixels.data(); }
    // Where the picture came from: a file path or a resource name.
    const std::string& source() const { return m_source; }

private:
    int m_width;
    int m_height;
    std::vector<uint32_t> m_pixels;
    std::string m_source;
};

using PicturePtr = std::shared_ptr<const Picture>;

// Raised when a picture cannot be read; carries the path and the reason.
class PictureLoadError : public std::runtime_error {
public:
    PictureLoadError(std::string path, std::string reason);

    const std::string& path() const { return m_path; }
    const std::string& reason() const { return m_reason; }

private:
    std::string m_path;
    std::string m_reason;
};
