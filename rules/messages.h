#pragma once

#include <span>
#include <string>

// What the player is told when something fails, in Japanese for the child and
// in English for the grown-up who mends it. Every front end shows the same
// words; each says the game goes on, for it does.

/** A picture file could not be loaded: its path or address, and why. */
std::string pictureFailureMessage(const std::string& path, const std::string& reason);

/** Any other failure of a handler, with what went wrong. */
std::string failureMessage(const std::string& what);

/** No picture folder was found; `places` are every place that was looked at. */
std::string missingFolderMessage(std::span<const std::string> places);
