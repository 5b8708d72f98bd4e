#pragma once

#include "controls/pixels.h"
#include "controls/scene.h"
#include "web/dom.h"

#include <emscripten/val.h>

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

// The 77 slots on the background, drawn by the browser from each picture's
// own small canvas onto a dozen canvases: slots that overlap share one, and
// so do neighbours, a letter or two of the chart a canvas, each just large
// enough to hold its slots. A canvas for every slot costs a browser's start
// and its first frame dearly, and one canvas for all makes some browsers
// redraw much of it under every move of a block. The canvases are made and
// drawn by web/slots.js, a call for a canvas or more, and shown through pictures
// made from them, which WebKit draws more cheaply under a moving block.
class Slots {
public:
    /** The slots' canvases, to be added to `parent` by buildNext(), below anything added after. */
    Slots(emscripten::val& parent, const Scene& scene, CanvasPictures& pictures);

    /** Does the next piece of the start: makes a canvas, readies a picture
        the slots show for the canvases to draw from, or draws a canvas, in
        that order; false once every canvas is drawn. */
    bool buildNext();

    /** Lays the canvases out at `scale` CSS pixels to a pixel. */
    void setScale(double scale);

    /** Draws every visible slot within `area` over the area cleared. */
    void paint(const PixelBox& area);

private:
    bool readyNextPicture();

    struct Group {
        PixelBox bounds;
        std::vector<std::pair<const Image*, PixelBox>> slots; // in the scene's order, which is their order of drawing
    };

    // Drawing commands for web/slots.js, and the pictures they draw from.
    class Commands {
    public:
        explicit Commands(CanvasPictures& pictures);
        void clip(int canvas, const PixelBox& area);
        void draw(int canvas, const Group& group, const Image& slot, const PixelBox& box);
        void done(int canvas);
        void run(const emscripten::val& contexts);

    private:
        CanvasPictures& m_pictures;
        std::vector<std::array<int32_t, 7>> m_commands;
        emscripten::val m_sources;
        std::vector<const Picture*> m_sourcePictures;
    };

    CanvasPictures& m_pictures;
    emscripten::val m_parent;
    std::vector<Group> m_groups;
    std::vector<int32_t> m_bounds; // left, top, right, bottom of each group, for web/slots.js
    emscripten::val m_contexts;    // of the canvases made so far, in the groups' order
    double m_scale = 1;
    size_t m_made = 0;         // the canvases made so far
    size_t m_readyGroup = 0;   // the next slot whose picture to ready: its group,
    size_t m_readySlot = 0;    // and its place in the group
    size_t m_firstPainted = 0; // the canvases drawn so far
};
