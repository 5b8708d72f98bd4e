#include "web/picturefetch.h"

#include "controls/gifdecoder.h"
#include "design/shapes.h"
#include "web/protocol.h"

using emscripten::val;

PicturePtr FetchedPictures::operator()(const std::string& name) const
{
    const auto failure = failures.find(name);
    if (failure != failures.end())
        throw PictureLoadError(address + name, failure->second);
    const auto file = files.find(name);
    if (file == files.end())
        throw PictureLoadError(address + name, "not one of the game's picture files");
    return decodeGif(file->second, address + name);
}

void fetchPictures(const std::string& folder, const val& done)
{
    val names = val::array();
    for (const Shape& shape : SHAPES) {
        names.call<void>("push", val(shape.targetFile));
        names.call<void>("push", val(shape.blockFile));
    }
    val::module_property(FETCH_PICTURES)(folder, names, MAX_PICTURE_FILE_BYTES, done);
}

std::shared_ptr<const FetchedPictures> fetchedPictures(const val& address, const val& files, const val& failures)
{
    auto fetched = std::make_shared<FetchedPictures>();
    fetched->address = address.as<std::string>();
    for (const auto& name : emscripten::vecFromJSArray<std::string>(val::global("Object").call<val>("keys", files)))
        fetched->files[name] = emscripten::convertJSArrayToNumberVector<uint8_t>(files[name]);
    for (const auto& name : emscripten::vecFromJSArray<std::string>(val::global("Object").call<val>("keys", failures)))
        fetched->failures[name] = failures[name].as<std::string>();
    return fetched;
}
