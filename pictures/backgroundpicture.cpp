#include "pictures/backgroundpicture.h"

#include "pictures/dib.h"
#include "pictures/pngfile.h"
#include "pictures/random.h"

#include <algorithm>
#include <numeric>

namespace {

constexpr uint64_t TILE_SEED = 0x5A454E54524B; // fixed, so every build draws the same tile
constexpr int TILE_AREA = BACKGROUND_TILE_WIDTH * BACKGROUND_TILE_HEIGHT;

} // namespace

std::array<uint32_t, 16> backgroundPalette()
{
    std::array<uint32_t, 16> palette{};
    std::transform(SPECKLES.begin(), SPECKLES.end(), palette.begin(),
                   [](const Speckle& speckle) { return speckle.rgb; });
    return palette;
}

std::array<int, 16> backgroundTileCounts()
{
    std::array<int, 16> counts{};
    for (size_t i = 0; i < SPECKLES.size(); ++i)
        counts[i] = (SPECKLES[i].permille * TILE_AREA + 500) / 1000;
    // Rounding may leave the total a pixel or two off; the commonest colour absorbs it.
    const auto largest = std::max_element(counts.begin(), counts.end());
    *largest += TILE_AREA - std::accumulate(counts.begin(), counts.end(), 0);
    return counts;
}

std::vector<uint8_t> makeBackgroundTile()
{
    // Exact counts first, then a shuffle: the proportions hold exactly and the
    // colours are scattered like noise.
    std::vector<uint8_t> tile;
    tile.reserve(TILE_AREA);
    const auto counts = backgroundTileCounts();
    for (size_t index = 0; index < counts.size(); ++index)
        tile.insert(tile.end(), static_cast<size_t>(counts[index]), static_cast<uint8_t>(index));

    Pcg32 random(TILE_SEED);
    for (size_t i = tile.size() - 1; i > 0; --i)
        std::swap(tile[i], tile[random.below(static_cast<uint32_t>(i + 1))]);
    return tile;
}

std::vector<uint8_t> encodeBackgroundBmp()
{
    const auto tile = makeBackgroundTile();
    std::vector<uint8_t> pixels(static_cast<size_t>(BACKGROUND_WIDTH) * BACKGROUND_HEIGHT);
    for (int y = 0; y < BACKGROUND_HEIGHT; ++y)
        for (int x = 0; x < BACKGROUND_WIDTH; ++x)
            pixels[static_cast<size_t>(y) * BACKGROUND_WIDTH + x]
                = tile[static_cast<size_t>(y % BACKGROUND_TILE_HEIGHT) * BACKGROUND_TILE_WIDTH
                       + x % BACKGROUND_TILE_WIDTH];

    const auto palette = backgroundPalette();
    constexpr uint32_t FILE_HEADER_SIZE = 14;
    const uint32_t pixelOffset = FILE_HEADER_SIZE + INFO_HEADER_SIZE + 4 * palette.size();
    const auto imageBytes = static_cast<uint32_t>(dibRowBytes(BACKGROUND_WIDTH, 4) * BACKGROUND_HEIGHT);

    ByteWriter out;
    out.u8('B');
    out.u8('M');
    out.u32(pixelOffset + imageBytes);
    out.u16(0);
    out.u16(0);
    out.u32(pixelOffset);
    putInfoHeader(out, BACKGROUND_WIDTH, BACKGROUND_HEIGHT, 4, imageBytes, palette.size());
    putPalette(out, palette);
    putRows(out, BACKGROUND_WIDTH, BACKGROUND_HEIGHT, 4, pixels);
    return out.take();
}

std::vector<uint8_t> encodeBackgroundTilePng()
{
    return encodeIndexedPng(BACKGROUND_TILE_WIDTH, BACKGROUND_TILE_HEIGHT, makeBackgroundTile(), backgroundPalette());
}
