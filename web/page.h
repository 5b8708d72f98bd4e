#pragma once

#include "controls/controls.h"
#include "controls/designstrokes.h"
#include "rules/gameform.h"
#include "rules/paddrag.h"
#include "web/dom.h"
#include "web/picturefetch.h"
#include "web/slots.h"

#include <emscripten/val.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

// The game on a web page, in the window's place, inside one element, Form1,
// laid out at the scale that fits the viewport. Form1 shows the background,
// its tile repeated by the browser; the slots are drawn on a few canvases
// over it, the labels are text, and the blocks and the pad, which take the
// pointer, stand above as boxes, a block's picture over its colour. Pointer
// events (mouse, pen and touch alike) on the blocks and the pad become the
// handlers' calls, the pad's moves handed on once a frame (web/pad.js), and each
// property change the controls report is shown where it shows.
class Page : private ControlObserver {
public:
    /** Nothing yet: the page's message and its scene are built by build(). */
    Page();
    Page(const Page&) = delete;
    Page& operator=(const Page&) = delete;
    ~Page() override;

    // How the start goes on after a piece of the scene.
    enum class Progress {
        More,             // the next piece, in this task while it has time to spare
        MoreAfterABreath, // the next piece, in a task of its own
        Done,             // the whole board stands
    };
    /** Builds the next piece of the scene, still hidden. */
    Progress build();
    /** Shows the whole board at once, in the next frame, in the first board's place. */
    void reveal();
    /** Takes the first board, written into the page by the build, out of the page. */
    static void removeFirstBoard();

    /** Starts taking events, now that the picture files the handlers read are at hand. */
    void start(FetchedPictures pictures);

    // The page's events, handed on by the functions the page calls.
    void padEvent(const emscripten::val& event);
    /** The pad's moves since the last frame, in order, as web/pad.js hands them on. */
    void padMoves(const emscripten::val& moves);
    void pieceEvent(const emscripten::val& event);
    void fitViewport();
    bool keyDown(const std::string& key);
    /** Closes the message, if it is open; false if it was not. */
    bool closeMessage();
    /** Ends a drag in progress: the page was hidden or lost the focus. */
    void focusLost();

private:
    // A control and the element that shows it.
    struct Shown {
        const Control* control;
        emscripten::val element;
        PicturePtr picture; // what the element shows now
        // What the element's style says now, in CSS pixels: a block's move
        // changes its left or top alone, and only that is written.
        std::string left, top, width, height, display = "?";
    };

    void makeMessage();
    void show(const Control& control, const std::string& id);
    void controlChanged(const Control& control, Change change) override;
    void place(Shown& shown);
    void paint(Shown& shown);
    std::optional<int> pieceAt(const emscripten::val& element) const;
    // A position inside the pad, in twips.
    struct PadPoint {
        float x, y;
    };
    PadPoint padPoint(double clientX, double clientY) const;
    // Runs one handler; a failure is told and the game goes on.
    void handle(const std::function<void()>& handler);
    void report(const std::string& text);

    DesignStrokes m_strokes;
    size_t m_decodedAhead = 0; // the design pictures decoded so far, in the order they are built in
    std::unique_ptr<GameForm> m_form;
    bool m_loaded = false; // whether the form's start-up has run
    FetchedPictures m_pictures;
    emscripten::val m_stage;
    emscripten::val m_form1;
    emscripten::val m_message;
    CanvasPictures m_canvasPictures;
    std::optional<Slots> m_slots;
    std::vector<Shown> m_shown;
    std::unordered_map<const Control*, size_t> m_shownIndex;
    std::vector<emscripten::val> m_pieces; // by Piece index
    emscripten::val m_pad;
    int m_clientWidth = 0; // the window's client area, in CSS pixels at scale 1
    int m_clientHeight = 0;
    double m_scale = 1;

    PadDrag m_drag;
    double m_padLeft = 0; // the pad's place in the viewport while a pointer owns it
    double m_padTop = 0;
    // While a frame's moves run, the elements they move, placed once after
    // the last: a frame shows only where each block ends up.
    bool m_movesRunning = false;
    std::vector<size_t> m_moved; // indexes into m_shown
    // Presses on blocks not yet lifted: pointer -> block.
    std::map<int, int> m_presses;
};
