#pragma once

#include "controls/controls.h"
#include "rules/gameform.h"
#include "web/boardlook.h"

#include <emscripten/val.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

// The board on the page, in the window's place: Form1, an element the style
// sheet lays out at the scale that fits the viewport (as it does the first
// board), shows the background, its tile repeated by the browser; every
// control stands over it as a box at that scale, in the window's order: the
// slots, the labels' text, and the pad and the blocks, which take the
// pointer, each picture over its box's colour.
// Each property change the controls report is shown where it shows.
class BoardView : private ControlObserver {
public:
    /** The board's stage, hidden, first in the page, Form1 in it. */
    explicit BoardView(GameForm& form);
    BoardView(const BoardView&) = delete;
    BoardView& operator=(const BoardView&) = delete;
    ~BoardView() override;

    /** Builds the next piece of the board, still hidden: the element of a control; false once every one
        stands. */
    bool buildNext();
    /** Lays the whole board out, still hidden, and shows the controls' changes from now on. */
    void layOut();
    /** Shows the whole board at once, in the next frame, in the first board's place. */
    void reveal();
    /** Tells assistive technology whether the board is still getting ready. */
    void setBusy(bool busy);
    const emscripten::val& pad() const { return elementOf(m_form.Picture1); }
    /** Which block `element` shows, if it shows one. */
    std::optional<int> pieceAt(const emscripten::val& element) const;
    /** Runs `moves`, then places each element they moved once: a frame shows only where each block ends up. */
    void moveTogether(const std::function<void()>& moves);

private:
    // A control and the element that shows it.
    struct Shown {
        const Control* control;
        std::string id;
        emscripten::val element = emscripten::val::null(); // made by buildNext()
        PicturePtr picture;                                // what the element shows now
        // What the element's style says now, in CSS pixels: a block's move
        // changes its left or top alone, and only that is written.
        std::string style[5];
        bool styled = false;
    };

    const emscripten::val& elementOf(const Control& control) const;
    void controlChanged(const Control& control, Change change) override;
    void place(Shown& shown);
    void paint(Shown& shown);
    /** A canvas in no document that shows `picture`, for a box to show. */
    const emscripten::val& canvasOf(const PicturePtr& picture);

    GameForm& m_form;
    emscripten::val m_stage;
    emscripten::val m_form1;
    // Each picture a control shows as a canvas of the page, made once: the 77
    // slots show a dozen pictures between them.
    struct Canvas {
        std::weak_ptr<const Picture> picture; // tells a picture gone from a new one at its address
        emscripten::val canvas = emscripten::val::null();
    };
    std::unordered_map<const Picture*, Canvas> m_canvases;
    std::vector<Shown> m_shown; // in the order they stand
    size_t m_built = 0;         // the elements made so far
    std::unordered_map<const Control*, size_t> m_shownIndex;
    // While moves run, the elements they move, placed once after the last.
    bool m_moving = false;
    std::vector<size_t> m_moved; // indexes into m_shown
};
