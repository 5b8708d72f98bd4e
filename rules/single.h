#pragma once

#include <cmath>
#include <limits>
#include <stdexcept>

// Rounds a double to Single the way the window stores positions. A result that
// is not a number or does not fit a Single is an overflow, which ends the
// running handler like any other failure.
inline float toSingle(double value)
{
    if (!(std::fabs(value) <= std::numeric_limits<float>::max()))
        throw std::overflow_error("a block position is out of range");
    return static_cast<float>(value);
}
