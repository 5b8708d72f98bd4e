// The window's own readers of the background bitmap and the icons, checked
// against what the generator drew.

#include "background.h"
#include "bitmap.h"
#include "icons.h"
#include "picturefiles.h"

#include <gtest/gtest.h>

#include <random>

namespace {

constexpr uint32_t OPAQUE = 0xFF000000;

void expectLikeTheArt(const Picture& picture, const IconImage& art)
{
    ASSERT_EQ(picture.width(), art.size);
    ASSERT_EQ(picture.height(), art.size);
    for (int y = 0; y < art.size; ++y) {
        for (int x = 0; x < art.size; ++x) {
            const size_t i = static_cast<size_t>(y) * static_cast<size_t>(art.size) + static_cast<size_t>(x);
            const uint32_t expected = art.transparent[i] ? 0 : OPAQUE | art.palette[art.indexes[i]];
            ASSERT_EQ(picture.pixel(x, y), expected) << x << "," << y;
        }
    }
}

// Every shorter copy of a good file and many randomly damaged ones: each is
// read or refused with PictureLoadError, never a crash.
template <typename Decode>
void expectDamageRefusedCleanly(const std::vector<uint8_t>& good, Decode decode, size_t prefixStep)
{
    for (size_t length = 0; length < good.size(); length += prefixStep)
        EXPECT_THROW(decode(std::span(good.data(), length), "cut"), PictureLoadError) << length;
    std::mt19937 random(7);
    for (int copy = 0; copy < 300; ++copy) {
        std::vector<uint8_t> damaged = good;
        for (int hit = 0; hit < 4; ++hit)
            damaged[random() % std::min<size_t>(damaged.size(), 200)] = static_cast<uint8_t>(random());
        try {
            decode(damaged, "damaged");
        } catch (const PictureLoadError&) {
        }
    }
}

} // namespace

TEST(Bitmap, BackgroundReadsAsTheTileRepeated)
{
    const PicturePtr picture = decodeBitmap(readPictureFile("design/background.bmp"), "background.bmp");
    ASSERT_EQ(picture->width(), BACKGROUND_WIDTH);
    ASSERT_EQ(picture->height(), BACKGROUND_HEIGHT);
    const std::vector<uint8_t> tile = makeBackgroundTile();
    const auto palette = backgroundPalette();
    for (int y = 0; y < BACKGROUND_HEIGHT; y += 7) {
        for (int x = 0; x < BACKGROUND_WIDTH; x += 3) {
            const uint8_t index
                = tile[(y % BACKGROUND_TILE_HEIGHT) * BACKGROUND_TILE_WIDTH + x % BACKGROUND_TILE_WIDTH];
            ASSERT_EQ(picture->pixel(x, y), OPAQUE | palette[index]) << x << "," << y;
        }
    }
}

TEST(Bitmap, IconsReadWithTheirMasks)
{
    expectLikeTheArt(*decodeIcon(readPictureFile("design/zentrik.ico"), "zentrik.ico"), windowIconImage());
    expectLikeTheArt(*decodeIcon(readPictureFile("design/pad.ico"), "pad.ico"), padPointerImage());
}

TEST(Bitmap, DamagedFilesAreRefusedCleanly)
{
    expectDamageRefusedCleanly(readPictureFile("design/zentrik.ico"), decodeIcon, 1);
    expectDamageRefusedCleanly(readPictureFile("design/background.bmp"), decodeBitmap, 997);
    EXPECT_THROW(decodeIcon(readPictureFile("design/background.bmp"), "x"), PictureLoadError);
    EXPECT_THROW(decodeBitmap(readPictureFile("c2.gif"), "x"), PictureLoadError);
}
