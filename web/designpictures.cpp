#include "web/designpictures.h"

#include "controls/gifdecoder.h"

PicturePtr DesignStrokes::operator()(const std::string& name)
{
    PicturePtr& picture = m_decoded[name];
    if (!picture) {
        for (const EmbeddedFile& file : EMBEDDED_PICTURES) {
            if (name == file.name)
                picture = decodeGif(file.bytes, "design:" + name);
        }
        if (!picture)
            throw PictureLoadError("design:" + name, "not built into the page");
    }
    return picture;
}

bool DesignStrokes::decodeAhead(size_t count)
{
    if (m_ahead == EMBEDDED_PICTURES.size())
        return false;
    for (; count > 0 && m_ahead < EMBEDDED_PICTURES.size(); --count, ++m_ahead)
        (*this)(EMBEDDED_PICTURES[m_ahead].name);
    return true;
}
