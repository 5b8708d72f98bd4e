#pragma once

#include "pictures/icofile.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

/** Encodes an 8-bit RGBA PNG; `rgba` holds width x height pixels as 0xRRGGBBAA, top row first. */
std::vector<uint8_t> encodePng(int width, int height, std::span<const uint32_t> rgba);

/** Encodes a palette PNG of at most 16 colours, 4 bits a pixel; `indexes` holds width x height palette indexes, top row
 * first, `palette` the colours as 0xRRGGBB; the entry `clear`, if any, is transparent. */
std::vector<uint8_t> encodeIndexedPng(int width, int height, std::span<const uint8_t> indexes,
                                      std::span<const uint32_t> palette, std::optional<size_t> clear = std::nullopt);

/** The icon as a PNG enlarged `scale` times, each icon pixel a scale x scale square, clear where the mask is set. */
std::vector<uint8_t> encodeIconPng(const IconImage& image, int scale);
