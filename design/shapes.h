#pragma once

#include <array>

// The two families of strokes. A block's family is fixed by its index.
enum class Family { Curve, Line };

// One of the eight shapes a stroke can have, with the shape a block of this
// shape turns into and the two picture files of the shape.
struct Shape {
    const char* tag;
    Family family;
    const char* next;
    const char* targetFile; // yellow stroke: an empty slot of the current letter
    const char* blockFile;  // dark blue stroke: a block, or a slot it filled
};

// In the order the lookups test them; within a family, in turning order.
// The build reads the picture file names from these rows as well.
// clang-format off
constexpr std::array<Shape, 8> SHAPES{{
    {"c",       Family::Curve, "c_down",  "c2.gif",       "c2b.gif"},
    {"c_down",  Family::Curve, "c_back",  "c_down2.gif",  "c_down2b.gif"},
    {"c_back",  Family::Curve, "c_up",    "c_back2.gif",  "c_back2b.gif"},
    {"c_up",    Family::Curve, "c",       "c_up2.gif",    "c_up2b.gif"},
    {"vert",    Family::Line,  "upright", "vert2.gif",    "vert2b.gif"},
    {"upright", Family::Line,  "horz",    "upright2.gif", "upright2b.gif"},
    {"horz",    Family::Line,  "upleft",  "horz2.gif",    "horz2b.gif"},
    {"upleft",  Family::Line,  "vert",    "upleft2.gif",  "upleft2b.gif"},
}};
// clang-format on
