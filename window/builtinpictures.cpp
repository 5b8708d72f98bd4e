#include "window/builtinpictures.h"

#include "controls/gifdecoder.h"

#include <QImageReader>
#include <QResource>

namespace {

std::string resourcePath(const std::string& name)
{
    return ":/pictures/" + name;
}

} // namespace

PicturePtr DesignStrokes::operator()(const std::string& name)
{
    PicturePtr& picture = m_decoded[name];
    if (!picture) {
        const std::string path = resourcePath(name);
        const QResource resource(QString::fromStdString(path));
        if (!resource.isValid())
            throw PictureLoadError(path, "not built into the program");
        // Stored uncompressed, so this reads the program's own memory in place.
        const QByteArray bytes = resource.uncompressedData();
        picture
            = decodeGif({reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size())}, path);
    }
    return picture;
}

QImage builtInImage(const std::string& name)
{
    const std::string path = resourcePath(name);
    QImageReader reader(QString::fromStdString(path));
    QImage image = reader.read();
    if (image.isNull())
        throw PictureLoadError(path, reader.errorString().toStdString());
    return image;
}
