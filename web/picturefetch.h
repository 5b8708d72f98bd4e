#pragma once

#include "controls/loadpicture.h"

#include <emscripten/val.h>

#include <memory>
#include <string>

// The sixteen picture files, fetched from the server as the page starts, or
// taken from the page where it holds them (web/picturefetch.js): the rules
// read them while the game is played, as the desktop reads its folder.

/** Fetches every picture file from `folder` (an address relative to the page), then calls `done` with what came
    and what did not, which fetchedPictures() takes. */
void fetchPictures(const std::string& folder, const emscripten::val& done);
/** The files fetched: `address`, `files` and `failures` are what fetchPictures() handed `done`. */
std::shared_ptr<const PictureFileBytes> fetchedPictures(const emscripten::val& address, const emscripten::val& files,
                                                        const emscripten::val& failures);
