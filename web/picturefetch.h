#pragma once

#include "controls/picture.h"

#include <emscripten/val.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

// The sixteen picture files, fetched from the server as the page starts
// (web/picturefetch.js): the rules read them while the game is played, as the
// desktop reads its folder, each decoded anew from the bytes that came.
struct FetchedPictures {
    std::string address;                               // the folder's full address, ending in '/'
    std::map<std::string, std::vector<uint8_t>> files; // file name -> its bytes
    std::map<std::string, std::string> failures;       // file name -> why it could not be had

    /** Whether not one of the files arrived. */
    bool noneArrived() const { return files.empty(); }
    /** The picture of the file `name`; throws PictureLoadError naming its address where it did not arrive or is
        not a sound picture. */
    PicturePtr operator()(const std::string& name) const;
};

/** Fetches every picture file from `folder` (an address relative to the page), then calls `done` with what came
    and what did not, which fetchedPictures() takes. */
void fetchPictures(const std::string& folder, const emscripten::val& done);
/** The files fetched: `address`, `files` and `failures` are what fetchPictures() handed `done`. */
std::shared_ptr<const FetchedPictures> fetchedPictures(const emscripten::val& address, const emscripten::val& files,
                                                       const emscripten::val& failures);
