#pragma once

#include <array>
#include <cstdint>

// The window's background picture: an orange speckled texture, one noise tile
// repeated pixel for pixel four times across and four times down.
constexpr int BACKGROUND_WIDTH = 1024;
constexpr int BACKGROUND_HEIGHT = 768;
constexpr int BACKGROUND_TILE_WIDTH = 256;
constexpr int BACKGROUND_TILE_HEIGHT = 192;

// One palette entry of the texture with its share of the pixels, in tenths of a percent.
struct Speckle {
    uint32_t rgb; // 0xRRGGBB
    int permille;
};

// The palette in file order.
// clang-format off
constexpr std::array<Speckle, 16> SPECKLES = {{
    {0xC54A29, 16},  {0xEC571D, 15}, {0xFF4518, 12},  {0xFF6F13, 27},
    {0xD5801E, 15},  {0xFB8118, 21}, {0xFF8700, 56},  {0xFF821E, 1},
    {0xC5B600, 50},  {0xCEB01E, 17}, {0xF4B500, 170}, {0xF9B129, 7},
    {0xFF9100, 575}, {0xFFB300, 4},  {0xFFA21A, 8},   {0xFFB64B, 6},
}};
// clang-format on
