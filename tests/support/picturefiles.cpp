#include "tests/support/picturefiles.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

std::filesystem::path pictureDir()
{
    return ZENTRIK_PICTURE_DIR;
}

std::vector<uint8_t> readPictureFile(const std::string& name)
{
    std::ifstream in(pictureDir() / name, std::ios::binary);
    if (!in)
        throw std::runtime_error("missing generated picture " + name);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

unsigned le16(std::span<const uint8_t> bytes, size_t at)
{
    return bytes[at] | (bytes[at + 1] << 8);
}

uint32_t le32(std::span<const uint8_t> bytes, size_t at)
{
    return le16(bytes, at) | (uint32_t{le16(bytes, at + 2)} << 16);
}
