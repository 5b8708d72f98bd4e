#pragma once

#include "pictures/icofile.h"

#include <cstdint>
#include <span>
#include <vector>

/** Encodes an 8-bit RGBA PNG; `rgba` holds width x height pixels as 0xRRGGBBAA, top row first. */
std::vector<uint8_t> encodePng(int width, int height, std::span<const uint32_t> rgba);

/** The icon as a PNG enlarged `scale` times, each icon pixel a scale x scale square, clear where the mask is set. */
std::vector<uint8_t> encodeIconPng(const IconImage& image, int scale);
