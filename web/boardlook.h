#pragma once

#include "controls/pixels.h"
#include "controls/scene.h"

#include <string>
#include <utility>
#include <vector>

// How the page shows the scene, in the words of the browser's style sheets:
// shared by the program, which writes it into the page as the game goes, and
// by the build's first board (firstboard/firstboard.cpp), which writes it
// into the page's files before any program runs, so that the two show the
// same pixels.

/** The id of the element that shows `control`, a box of its own (web/pictures.js says why not a canvas): its name,
    and its index where it has one. */
std::string elementId(const Control& control);

/** A length in the style sheets: `pixels` of the scene at the page's scale, whose --u is one scene pixel. */
std::string scaled(double pixels);

/** "#rrggbb" for a 0x00BBGGRR colour. */
std::string cssColour(Colour colour);

/** A label's look, text aside: (CSS property, value) pairs. */
std::vector<std::pair<const char*, std::string>> labelLook(const Label& label);
