#pragma once

#include "controls/pixels.h"
#include "controls/scene.h"

#include <string>
#include <utility>
#include <vector>

// How the page shows the scene, in the words of the browser's style sheets:
// shared by the program, which writes it into the page as the game goes, and
// by the build's first board (web/firstboard.cpp), which writes it into the
// page's files before any program runs, so that the two show the same pixels.

// A control shown by an element of its own, a box: a label's text, or a
// picture over its colour, or its colour alone. A box, not a canvas: WebKit
// draws every canvas of a page again in every frame, and Chromium's frame
// that first shows the board spends most of its time handing canvases to
// its compositor.
struct ShownControl {
    const Control* control;
    std::string id;
};

/** The controls shown above the slots, in the order they stand, later above earlier: the labels, the pad, every
    block above the pad, as in the window. */
std::vector<ShownControl> shownControls(const Scene& scene);

/** "#rrggbb" for a 0x00BBGGRR colour. */
std::string cssColour(Colour colour);

// The free face with the metrics of the labels' own, which stands in for it
// where it is missing, as on every Linux machine. It comes first, before the
// labels' own: a browser that has it is spared looking up the faces it lacks
// before it, which in Chromium on Linux is most of the page's first layout,
// the first with Japanese text. A browser that lacks it goes on to the
// labels' own face at the cost of one look-up.
inline constexpr const char* STAND_IN_FACE = "IPAPGothic";

// Faces that show Japanese, after the labels' own: the free one a Linux
// machine may have besides, then those of Android and ChromeOS, macOS and
// iPadOS, Windows.
inline constexpr const char* JAPANESE_FACES
    = "\"MS PGothic\", IPAGothic, \"Noto Sans JP\", \"Noto Sans CJK JP\", "
      "\"Hiragino Kaku Gothic ProN\", \"Hiragino Sans\", Meiryo, \"Yu Gothic\", sans-serif";

/** A label's look, text aside: (CSS property, value) pairs, each length written by `length`, a
    std::string(double) of the scene's pixels at scale 1. */
template <typename Length>
std::vector<std::pair<const char*, std::string>> labelLook(const Label& label, const Length& length)
{
    constexpr double PIXELS_A_POINT = 4.0 / 3.0; // as CSS has them
    const Font& font = label.Font();
    return {
        {"background-color", cssColour(label.BackColor())},
        {"color", cssColour(label.ForeColor())},
        {"font",
         std::string(font.Bold ? "bold " : "") + length(font.Size * PIXELS_A_POINT) + " " + STAND_IN_FACE + ", \""
             + font.Name + "\", " + JAPANESE_FACES},
        {"line-height", length(toPixels(label.Height()))},
    };
}
