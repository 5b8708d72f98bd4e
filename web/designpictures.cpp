#include "web/designpictures.h"

std::span<const uint8_t> embeddedBytes(const std::string& name)
{
    for (const EmbeddedFile& file : EMBEDDED_PICTURES) {
        if (name == file.name)
            return file.bytes;
    }
    return {};
}
