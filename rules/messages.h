#pragma once

#include <exception>
#include <span>
#include <string>

// What the player is told when something fails, in Japanese for the child and
// in English for the grown-up who mends it. Every front end shows the same
// words; each says whether the game goes on.

/** A failure of a handler: a PictureLoadError names the picture's path or address and why it could not be
    loaded, any other exception says what went wrong. */
std::string failureMessage(const std::exception& error);

/** Runs a handler and tells what it throws through `tell`, in failureMessage's words: the game goes on. A
    template, for it runs on every pointer move. */
template <typename Handler, typename Tell>
void runHandler(Handler&& handler, Tell&& tell)
{
    try {
        handler();
    } catch (const std::exception& error) {
        tell(failureMessage(error));
    }
}

/** No picture folder was found; `places` are every place that was looked at. */
std::string missingFolderMessage(std::span<const std::string> places);

/** The game cannot start: what went wrong. */
std::string startFailureMessage(const std::exception& error);
