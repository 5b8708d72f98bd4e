#pragma once

#include "design/shapes.h"

#include <cstdint>
#include <optional>
#include <string_view>

/** Curve for pieces 0 and 1, line for pieces 2 to 5. */
constexpr Family familyOf(int16_t pieceIndex)
{
    return pieceIndex > 1 ? Family::Line : Family::Curve;
}

/** The shape with exactly this tag (case and all), or nullptr. */
const Shape* findShape(std::string_view tag);

/** The shape a block of `family` turns into from `tag`, or nullptr if `tag` is not of that family. */
const Shape* turnedShape(std::string_view tag, Family family);
