#pragma once

#include "controls/controls.h"

#include <emscripten/val.h>

#include <cstdint>
#include <string>

// The little the front end asks of the page's document, in C++.

/** A new element of `tag`, with `id` when it is not empty, added to `parent`. */
emscripten::val addElement(emscripten::val& parent, const char* tag, const std::string& id = {});

/** "Npx", for a length in CSS pixels. */
std::string px(double pixels);

/** "#rrggbb" for a 0x00BBGGRR colour. */
std::string cssColour(Colour colour);

/** A pixel in a canvas's byte order, R, G, B, A (straight, not premultiplied), as a little-endian word. */
constexpr uint32_t canvasPixel(uint32_t r, uint32_t g, uint32_t b, uint32_t alpha = 0xFF)
{
    return r | g << 8 | b << 16 | alpha << 24;
}

/** Puts width x height pixels in the canvas's byte order on `context` at (left, top). */
void putPixels(emscripten::val& context, const uint32_t* pixels, int width, int height, int left, int top);

/** Marks a moment of the start on the page's performance timeline ("zentrik-NAME"), for the bench and DevTools. */
void mark(const char* name);

/** Draws `picture` 1:1 from the top left of `canvas`, over a cleared canvas; transparent pixels stay clear. */
void drawPicture(emscripten::val& canvas, const Picture* picture);
