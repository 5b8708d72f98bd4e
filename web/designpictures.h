#pragma once

#include "controls/picture.h"

#include <cstdint>
#include <map>
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

// Hands the scene its design-time pictures from the files built into the
// program, decoding each once.
class DesignStrokes {
public:
    PicturePtr operator()(const std::string& name);

    /** Decodes the next `count` files ahead of their use, so that the start can go in pieces; false, decoding
        nothing, once all were. */
    bool decodeAhead(size_t count);

private:
    std::map<std::string, PicturePtr> m_decoded;
    size_t m_ahead = 0; // the files decoded ahead so far, in order
};
