#pragma once

#include "controls/controls.h"

#include <emscripten/val.h>

#include <string>

// The little the front end asks of the page's document, in C++.

/** A new element of `tag`, with `id` when it is not empty, added to `parent`. */
emscripten::val addElement(emscripten::val& parent, const char* tag, const std::string& id = {});

/** "Npx", for a length in CSS pixels. */
std::string px(double pixels);

/** "#rrggbb" for a 0x00BBGGRR colour. */
std::string cssColour(Colour colour);

/** Draws `picture` 1:1 from the top left of `canvas`, over a cleared canvas; transparent pixels stay clear. */
void drawPicture(emscripten::val& canvas, const Picture* picture);
