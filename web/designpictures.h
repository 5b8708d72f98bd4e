#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// A file built into the program.
struct EmbeddedFile {
    const char* name;
    std::span<const uint8_t> bytes;
};

// The design-time stroke pictures, as the generator drew them (made by web/embed.cmake).
extern const std::vector<EmbeddedFile> EMBEDDED_PICTURES;

/** The bytes of the built-in file `name`; empty where there is none. */
std::span<const uint8_t> embeddedBytes(const std::string& name);
