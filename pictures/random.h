#pragma once

#include <cstdint>

// A small PCG32 generator. The pictures must come out byte for byte the same
// on every machine, so they draw their noise from this fixed algorithm rather
// than from the standard library's distributions, which differ between
// implementations.
class Pcg32 {
public:
    explicit Pcg32(uint64_t seed, uint64_t stream = 1);

    // Next 32 random bits.
    uint32_t next();
    // A uniform value in [0, bound), without modulo bias; bound must be > 0.
    uint32_t below(uint32_t bound);

private:
    uint64_t m_state = 0;
    uint64_t m_increment = 0;
};
