#pragma once

#include <emscripten/val.h>

#include <string>

// The little the front end asks of the page's document, in C++.

/** A new element of `tag`, with `id` when it is not empty, added to `parent`. */
emscripten::val addElement(const emscripten::val& parent, const char* tag, const std::string& id = {});

/** Calls the bound function `handler` on each event of `type` at `target`. */
void listen(emscripten::val target, const char* type, const char* handler);

/** Takes the first board, which index.html holds until the program's own board shows, out of the page. */
void removeFirstBoard();

/** Marks a moment of the start on the page's performance timeline ("zentrik-NAME"), for the bench and DevTools. */
void mark(const char* name);
