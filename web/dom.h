#pragma once

#include "controls/controls.h"

#include <emscripten/val.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

// The little the front end asks of the page's document, in C++.

/** A new element of `tag`, with `id` when it is not empty, added to `parent`. */
emscripten::val addElement(emscripten::val& parent, const char* tag, const std::string& id = {});

/** Calls the bound function `handler` on each event of `type` at `target`. */
void listen(emscripten::val target, const char* type, const char* handler);

/** "Npx", for a length in CSS pixels. */
std::string px(double pixels);

/** Marks a moment of the start on the page's performance timeline ("zentrik-NAME"), for the bench and DevTools. */
void mark(const char* name);

// Pictures as canvases of the page, each picture converted to the canvas's
// own form once: the 77 slots show a dozen pictures between them.
class CanvasPictures {
public:
    /** A canvas of its own, in no document, that shows `picture`, for other canvases to draw from and the blocks
        to show. */
    const emscripten::val& source(const PicturePtr& picture);
    /** Whether source() has made the canvas for `picture` already. */
    bool hasSource(const PicturePtr& picture) const;

private:
    struct Converted {
        std::weak_ptr<const Picture> picture; // tells a picture gone from a new one at its address
        emscripten::val imageData = emscripten::val::null();
        emscripten::val canvas = emscripten::val::null(); // made when first asked for
    };
    Converted& converted(const PicturePtr& picture);

    std::unordered_map<const Picture*, Converted> m_converted;
};
