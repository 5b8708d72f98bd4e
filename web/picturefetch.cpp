#include "web/picturefetch.h"

#include "controls/gifdecoder.h"
#include "design/shapes.h"

#include <emscripten/eventloop.h>
#include <emscripten/val.h>
#include <emscripten/wget.h>

#include <cstdio>
#include <list>
#include <vector>

namespace {

struct Fetch;

// One picture file on its way. A browser may call back after the request
// is settled: Firefox tells a load or an error after an abort made from
// inside the last progress, WebKit tells the progress once more from inside
// the abort. Each request is settled once, and later calls are ignored.
struct Request {
    Fetch* fetch;
    std::string name;
    std::string url;
    bool settled = false;
};

struct Fetch {
    FetchedPictures result;
    std::vector<Request> requests;
    size_t pending = 0;
    std::function<void(FetchedPictures)> done;
};

// Every fetch lives as long as the page, for a late call may come at any time.
std::list<Fetch> fetches;

void handOn(void* arg)
{
    Fetch& fetch = *static_cast<Fetch*>(arg);
    fetch.done(std::move(fetch.result));
}

// Settles `request` with `failure` (empty when the file is kept); the last
// request to settle hands the result on, in a task of its own rather than
// in the last file's.
void settle(Request& request, std::string failure = {})
{
    request.settled = true;
    Fetch& fetch = *request.fetch;
    if (!failure.empty())
        fetch.result.failures[request.name] = std::move(failure);
    if (--fetch.pending == 0)
        emscripten_set_timeout(handOn, 0, &fetch);
}

// A picture file is a few hundred bytes. A file far larger than any picture
// (a server's mistake) is given up as it comes, before it fills the memory
// of a small tablet: LoadPicture refuses it anyway.
void arriving(unsigned handle, void* arg, int loaded, int)
{
    auto& request = *static_cast<Request*>(arg);
    if (request.settled || static_cast<size_t>(loaded) <= MAX_PICTURE_FILE_BYTES)
        return;
    settle(request, "the server sent more than " + std::to_string(MAX_PICTURE_FILE_BYTES >> 20) + " MiB");
    emscripten_async_wget2_abort(static_cast<int>(handle));
}

void arrived(unsigned, void* arg, void* data, unsigned size)
{
    auto& request = *static_cast<Request*>(arg);
    if (request.settled)
        return;
    const std::string path = (request.fetch->result.folder / request.name).string();
    std::FILE* out = std::fopen(path.c_str(), "wb");
    bool kept = out != nullptr;
    if (out) {
        kept = std::fwrite(data, 1, size, out) == size;
        kept = std::fclose(out) == 0 && kept;
    }
    settle(request, kept ? "" : "the page could not keep the file in memory");
}

void failed(unsigned, void* arg, int status, const char* statusText)
{
    auto& request = *static_cast<Request*>(arg);
    if (request.settled)
        return;
    std::string reason = "the server could not be reached";
    if (status != 0) {
        reason = "the server answered " + std::to_string(status);
        if (statusText && *statusText)
            reason += std::string(" ") + statusText;
    }
    settle(request, std::move(reason));
}

// Sends one request. Each is sent in a task of its own: a request takes the
// page's thread a while on a slow tablet, and sixteen at once would hold it up.
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

PictureLoadError FetchedPictures::asFetched(const PictureLoadError& error) const
{
    const std::filesystem::path path = error.path();
    if (path.parent_path() != folder)
        return error;
    const std::string name = path.filename().string();
    const auto failure = failures.find(name);
    return {address + name, failure != failures.end() ? failure->second : error.reason()};
}

void fetchPictures(const std::string& address, std::filesystem::path folder, std::function<void(FetchedPictures)> done)
{
    using emscripten::val;
    Fetch& fetch = fetches.emplace_back();
    fetch.result.address
        = val::global("URL").new_(val(address), val::global("document")["baseURI"])["href"].as<std::string>();
    fetch.result.folder = std::move(folder);
    fetch.done = std::move(done);
    std::filesystem::create_directories(fetch.result.folder);

    // Every request stands before the first is sent, so none moves.
    for (const Shape& shape : SHAPES) {
        for (const char* name : {shape.targetFile, shape.blockFile})
            fetch.requests.push_back(Request{&fetch, name, address + name});
    }
    fetch.pending = fetch.requests.size();
    for (Request& request : fetch.requests)
        emscripten_set_timeout(send, 0, &request);
}
