#pragma once

#include "controls/designstrokes.h"
#include "rules/gameform.h"
#include "web/boardview.h"
#include "web/message.h"
#include "web/picturefetch.h"
#include "web/pointerinput.h"

#include <emscripten/val.h>

#include <functional>
#include <memory>
#include <vector>

// The page's parts, each made by a step of the start.
struct Page {
    DesignStrokes strokes;
    Message message;
    std::unique_ptr<GameForm> form;
    std::unique_ptr<BoardView> view;
    std::unique_ptr<PointerInput> input; // once the game takes events
};

// The page's start: the board built in steps, a few a task, hidden until
// it stands whole and the background's tile is decoded; then shown, at once,
// in the first board's place; and events taken once the picture files the
// handlers read are here too.
class Start {
public:
    explicit Start(Page& page);

    // What the start waits for, each told once by ready(). Without the
    // background's tile the board shows on the window's plain colour.
    enum Part : unsigned {
        BOARD_BUILT = 1,   // every step has run and every box's picture shows
        TILE_SETTLED = 2,  // the background's tile is decoded, or cannot be
        BOARD_SHOWN = 4,   // a task after the board was revealed
        FILES_FETCHED = 8, // every picture file is here or given up
    };

    /** Runs steps in this task while it has time to spare, then goes on in the next; the first run is in the
        task after the start is made. */
    void runSteps();
    /** `part` is ready: the board shows once it is built and its tile decoded, and events are taken once it has
        shown and the files are here. */
    void ready(Part part, std::shared_ptr<const PictureFileBytes> files = nullptr);

private:
    struct Step {
        std::function<bool()> run; // true once the step is done; a step not done runs again
        bool breathe = false;      // the next step waits for a task of its own
    };
    /** A step that is done once `run` has run. */
    static Step once(std::function<void()> run, bool breathe = false);
    void play();

    Page& m_page;
    std::vector<Step> m_steps;
    size_t m_next = 0;
    unsigned m_ready = 0;
    std::shared_ptr<const PictureFileBytes> m_files;
    emscripten::val m_channel; // carries the start from one task to the next
};
