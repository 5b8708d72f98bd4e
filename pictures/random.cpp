#include "pictures/random.h"

Pcg32::Pcg32(uint64_t seed, uint64_t stream)
    : m_increment((stream << 1u) | 1u)
{
    next();
    m_state += seed;
    next();
}

uint32_t Pcg32::next()
{
    const uint64_t old = m_state;
    m_state = old * 6364136223846793005ULL + m_increment;
    const auto xorShifted = static_cast<uint32_t>(((old >> 18u) ^ old) >> 27u);
    const auto rotation = static_cast<uint32_t>(old >> 59u);
    return (xorShifted >> rotation) | (xorShifted << ((32u - rotation) & 31u));
}

uint32_t Pcg32::below(uint32_t bound)
{
    // Values below `threshold` would make the low residues more likely; skip them.
    const uint32_t threshold = (0u - bound) % bound;
    for (;;) {
        const uint32_t value = next();
        if (value >= threshold)
            return value % bound;
    }
}
