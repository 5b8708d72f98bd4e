#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>

// The design-time stroke pictures as the generator drew them, by file name,
// built into the program (by web/embed.cmake).
extern const std::map<std::string, std::span<const uint8_t>> EMBEDDED_PICTURES;
