#pragma once

#include <cstdint>
#include <span>
#include <vector>

// Encodes one still GIF89a image: a global colour table of `colours`
// (0xRRGGBB, a power-of-two count from 2 to 256), a graphic control extension
// naming `transparentIndex`, and the image covering the whole screen.
// `indexes` holds width x height colour indexes, top row first.
std::vector<uint8_t> encodeGif(int width, int height, std::span<const uint32_t> colours,
                               std::span<const uint8_t> indexes, int transparentIndex);
