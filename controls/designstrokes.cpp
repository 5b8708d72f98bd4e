#include "controls/designstrokes.h"

#include "controls/gifdecoder.h"

DesignStrokes::DesignStrokes(std::string where, DesignFileBytes bytes)
    : m_where(std::move(where))
    , m_bytes(std::move(bytes))
{
}

PicturePtr DesignStrokes::operator()(const std::string& name)
{
    PicturePtr& picture = m_decoded[name];
    if (!picture) {
        const std::span<const uint8_t> bytes = m_bytes(name);
        if (bytes.empty())
            throw PictureLoadError(m_where + name, "not built into the program");
        picture = decodeGif(bytes, m_where + name);
    }
    return picture;
}
