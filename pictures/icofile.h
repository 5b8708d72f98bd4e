#pragma once

#include <cstdint>
#include <vector>

// One square icon image: palette indexes plus a transparency mask.
struct IconImage {
    int size = 32;
    int bitsPerPixel = 8;             // 4 or 8
    std::vector<uint32_t> palette;    // 0xRRGGBB, exactly 2^bitsPerPixel entries
    std::vector<uint8_t> indexes;     // size x size, top row first
    std::vector<uint8_t> transparent; // size x size, 1 where the pixel is transparent
};

/** An icon file holding the one image: colour bitmap, then the 1-bit AND mask. */
std::vector<uint8_t> encodeIco(const IconImage& image);
