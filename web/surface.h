#pragma once

#include "controls/scene.h"

#include <emscripten/val.h>

#include <cstdint>
#include <vector>

// The window's own surface on one canvas: the background picture with the
// slots over it, as the window draws them on itself. The page keeps the
// picture in its memory and puts on the canvas only the part that changed,
// so the 77 slots cost the browser no element and no canvas of their own.
class Surface {
public:
    Surface(emscripten::val canvas, const Scene& scene, int width, int height);

    /** Shows the surface at `scale` CSS pixels to its pixel. */
    void setScale(double scale);

    /** Draws the background and every visible slot within the rectangle, in pixels, and shows it. */
    void paint(int left, int top, int width, int height);

private:
    emscripten::val m_canvas;
    emscripten::val m_context;
    const Scene& m_scene;
    int m_width;
    int m_height;
    // The background's tile, repeated from the top left across the
    // background picture's own size, in the canvas's byte order: R, G, B, A.
    std::vector<uint32_t> m_tile;
};
