#include "pictures/strokes.h"

#include "pictures/gifwriter.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace {

// A half ring of radius 15 to 25, both included, around (cx2 / 2, cy2 / 2).
// Working in doubled coordinates keeps pixel centres and ring centres whole,
// so the test is exact integer arithmetic with no rounding to differ anywhere.
bool inRing(int x, int y, int cx2, int cy2)
{
    const int dx = 2 * x + 1 - cx2;
    const int dy = 2 * y + 1 - cy2;
    const int d2 = dx * dx + dy * dy;
    return d2 >= 30 * 30 && d2 <= 50 * 50;
}

// The bar from lower left to upper right; "upleft" is its mirror image.
bool inRisingBar(int x, int y)
{
    return x + y >= 43 && x + y <= 55 && std::abs(x - y) <= 42;
}

} // namespace

bool inStroke(std::string_view tag, int x, int y)
{
    if (tag == "c")
        return inRing(x, y, 99, 50);
    if (tag == "c_down")
        return inRing(x, y, 50, 99);
    if (tag == "c_back")
        return inRing(x, y, 1, 50);
    if (tag == "c_up")
        return inRing(x, y, 50, 1);
    if (tag == "vert")
        return x >= 21 && x <= 30;
    if (tag == "upright")
        return inRisingBar(x, y);
    if (tag == "horz")
        return y >= 19 && y <= 28;
    if (tag == "upleft")
        return inRisingBar(STROKE_PICTURE_SIZE - 1 - x, y);
    throw std::invalid_argument("unknown shape tag \"" + std::string(tag) + "\"");
}

uint8_t strokeIndex(StrokeKind kind)
{
    return kind == StrokeKind::Target ? TARGET_STROKE_INDEX : 0;
}

std::array<uint32_t, 16> strokeColourTable(StrokeKind kind)
{
    std::array<uint32_t, 16> table{};
    switch (kind) {
    case StrokeKind::Preview: table[0] = PREVIEW_GREEN; break;
    case StrokeKind::Target: table[0] = TARGET_ENTRY_ZERO; break;
    case StrokeKind::Block: table[0] = BLOCK_BLUE; break;
    }
    std::copy(STROKE_SHARED_ENTRIES.begin(), STROKE_SHARED_ENTRIES.end(), table.begin() + 1);
    return table;
}

std::vector<uint8_t> strokeIndexes(std::string_view tag, StrokeKind kind)
{
    const uint8_t stroke = strokeIndex(kind);
    std::vector<uint8_t> indexes;
    indexes.reserve(STROKE_PICTURE_SIZE * STROKE_PICTURE_SIZE);
    for (int y = 0; y < STROKE_PICTURE_SIZE; ++y)
        for (int x = 0; x < STROKE_PICTURE_SIZE; ++x)
            indexes.push_back(inStroke(tag, x, y) ? stroke : STROKE_TRANSPARENT_INDEX);
    return indexes;
}

std::vector<uint8_t> encodeStrokeGif(std::string_view tag, StrokeKind kind)
{
    const auto table = strokeColourTable(kind);
    return encodeGif(STROKE_PICTURE_SIZE, STROKE_PICTURE_SIZE, table, strokeIndexes(tag, kind),
                     STROKE_TRANSPARENT_INDEX);
}
