#pragma once

#include "controls/picture.h"

#include <filesystem>
#include <functional>
#include <map>
#include <string>

// The sixteen picture files, fetched from the server before the game starts,
// so that LoadPicture reads them as it does on the desktop: from a folder,
// here one in the page's memory.
struct FetchedPictures {
    std::string address;                         // the folder's full address, ending in '/'
    std::filesystem::path folder;                // where the files that arrived are kept
    std::map<std::string, std::string> failures; // file name -> why it could not be had

    /** Whether not one of the files arrived. */
    bool noneArrived() const;
    /** `error` as the page tells it: a file of the folder named by its address, and one that never arrived by
        why it could not be had. */
    PictureLoadError asFetched(const PictureLoadError& error) const;
};

/** Fetches every picture file from `address` (relative to the page) into `folder`, then calls `done` once. */
void fetchPictures(const std::string& address, std::filesystem::path folder, std::function<void(FetchedPictures)> done);
