#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

// Where the build drew the game's pictures.
std::filesystem::path pictureDir();

// The bytes of a generated picture, named relative to the picture folder.
std::vector<uint8_t> readPictureFile(const std::string& name);

// Little-endian fields of the file formats under test.
unsigned le16(std::span<const uint8_t> bytes, size_t at);
uint32_t le32(std::span<const uint8_t> bytes, size_t at);
