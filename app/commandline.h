#pragma once

#include <optional>

/**
 * Answers --version and --help, which need no display, before Qt starts:
 * returns the exit status once it has answered, nothing when the game is to start.
 */
std::optional<int> answerWithoutDisplay(int argc, char* argv[]);

/**
 * Once QApplication has taken its own options (-platform, -style, -session and
 * the others) out of argv, anything left is unknown: says so in one line and
 * returns the exit status 2, or nothing when nothing is left.
 */
std::optional<int> rejectUnknownArguments(int argc, char* argv[]);
