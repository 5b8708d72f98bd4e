#include "web/picturefetch.h"

#include "controls/gifdecoder.h"
#include "design/shapes.h"

#include <emscripten/eventloop.h>
#include <emscripten/val.h>
#include <emscripten/wget.h>

#include <cstdio>
#include <memory>

namespace {

struct Fetch {
    FetchedPictures result;
    int pending = 0;
    std::function<void(FetchedPictures)> done;
};

struct Request {
    std::shared_ptr<Fetch> fetch;
    std::string name;
    std::string url;
    bool givenUp = false;
};

void settle(Request* request)
{
    const std::unique_ptr<Request> owned(request);
    if (--request->fetch->pending == 0)
        request->fetch->done(std::move(request->fetch->result));
}

// A picture file is a few hundred bytes. A file far larger than any picture
// (a server's mistake) is given up as it comes, before it fills the memory
// of a small tablet: LoadPicture refuses it anyway.
void arriving(unsigned handle, void* arg, int loaded, int)
{
    auto* request = static_cast<Request*>(arg);
    // WebKit tells the progress once more from inside the abort: the file is
    // given up, and its request settled, once.
    if (request->givenUp || static_cast<size_t>(loaded) <= MAX_PICTURE_FILE_BYTES)
        return;
    request->givenUp = true;
    emscripten_async_wget2_abort(static_cast<int>(handle));
    request->fetch->result.failures[request->name]
        = "the server sent more than " + std::to_string(MAX_PICTURE_FILE_BYTES >> 20) + " MiB";
    settle(request);
}

void arrived(unsigned, void* arg, void* data, unsigned size)
{
    auto* request = static_cast<Request*>(arg);
    FetchedPictures& result = request->fetch->result;
    const std::string path = (result.folder / request->name).string();
    std::FILE* out = std::fopen(path.c_str(), "wb");
    bool kept = out != nullptr;
    if (out) {
        kept = std::fwrite(data, 1, size, out) == size;
        kept = std::fclose(out) == 0 && kept;
    }
    if (!kept)
        result.failures[request->name] = "the page could not keep the file in memory";
    settle(request);
}

void failed(unsigned, void* arg, int status, const char* statusText)
{
    auto* request = static_cast<Request*>(arg);
    std::string reason = "the server could not be reached";
    if (status != 0) {
        reason = "the server answered " + std::to_string(status);
        if (statusText && *statusText)
            reason += std::string(" ") + statusText;
    }
    request->fetch->result.failures[request->name] = reason;
    settle(request);
}

// Sends one request. Each is sent in a task of its own: a request costs the
// page's thread a millisecond or more on a slow tablet, and sixteen at once
// would hold it up.
void send(void* arg)
{
    auto* request = static_cast<Request*>(arg);
    emscripten_async_wget2_data(request->url.c_str(), "GET", "", request, true, arrived, failed, arriving);
}

} // namespace

bool FetchedPictures::noneArrived() const
{
    return failures.size() == SHAPES.size() * 2;
}

void fetchPictures(const std::string& address, std::filesystem::path folder, std::function<void(FetchedPictures)> done)
{
    using emscripten::val;
    auto fetch = std::make_shared<Fetch>();
    fetch->result.address
        = val::global("URL").new_(val(address), val::global("document")["baseURI"])["href"].as<std::string>();
    fetch->result.folder = std::move(folder);
    fetch->done = std::move(done);
    std::filesystem::create_directories(fetch->result.folder);

    fetch->pending = static_cast<int>(SHAPES.size() * 2);
    for (const Shape& shape : SHAPES) {
        for (const char* name : {shape.targetFile, shape.blockFile})
            emscripten_set_timeout(send, 0, new Request{fetch, name, address + name});
    }
}
