#pragma once

#include <exception>
#include <functional>
#include <span>
#include <string>

// What the player is told when something fails, in Japanese for the child and
// in English for the grown-up who mends it. Every front end shows the same
// words; each says whether the game goes on.

/** Runs a handler and tells what it throws through `tell`, in failureMessage's words: the game goes on. */
void runHandler(const std::function<void()>& handler, const std::function<void(const std::string&)>& tell);

/** A failure of a handler: a PictureLoadError names the picture's path or address and why it could not be
    loaded, any other exception says what went wrong. */
std::string failureMessage(const std::exception& error);

/** No picture folder was found; `places` are every place that was looked at. */
std::string missingFolderMessage(std::span<const std::string> places);

/** The game cannot start: what went wrong. */
std::string startFailureMessage(const std::exception& error);
