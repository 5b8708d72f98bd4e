#include "web/picturefetch.h"

#include "controls/gifdecoder.h"
#include "design/shapes.h"
#include "web/protocol.h"

using emscripten::val;

void fetchPictures(const std::string& folder, const val& done)
{
    val names = val::array();
    for (const Shape& shape : SHAPES) {
        names.call<void>("push", val(shape.targetFile));
        names.call<void>("push", val(shape.blockFile));
    }
    val::module_property(FETCH_PICTURES)(folder, names, MAX_PICTURE_FILE_BYTES, done);
}

std::shared_ptr<const PictureFileBytes> fetchedPictures(const val& address, const val& files, const val& failures)
{
    auto fetched = std::make_shared<PictureFileBytes>();
    fetched->address = address.as<std::string>();
    for (const auto& name : emscripten::vecFromJSArray<std::string>(val::global("Object").call<val>("keys", files)))
        fetched->files[name] = emscripten::convertJSArrayToNumberVector<uint8_t>(files[name]);
    for (const auto& name : emscripten::vecFromJSArray<std::string>(val::global("Object").call<val>("keys", failures)))
        fetched->failures[name] = failures[name].as<std::string>();
    return fetched;
}
