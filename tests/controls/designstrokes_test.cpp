// DesignStrokes and a control's pixel box: what both front ends build their
// scene and draw it from.

#include "controls/controls.h"
#include "controls/designstrokes.h"
#include "controls/pixels.h"
#include "pictures/gifwriter.h"

#include <gtest/gtest.h>

#include <array>

TEST(DesignStrokes, EachFileIsDecodedOnceAndItsPictureShared)
{
    const std::array<uint32_t, 2> colours = {0x0000CC, 0xFFFFFF};
    const std::vector<uint8_t> indexes = {0, 1};
    const std::vector<uint8_t> gif = encodeGif(2, 1, colours, indexes, 1);
    int lookUps = 0;
    DesignStrokes strokes("built-in:", [&](const std::string& name) -> std::span<const uint8_t> {
        ++lookUps;
        return name == "block_c.gif" ? std::span(gif) : std::span<const uint8_t>();
    });
    const PicturePtr first = strokes("block_c.gif");
    EXPECT_EQ(strokes("block_c.gif"), first) << "the slots of one shape share one picture";
    EXPECT_EQ(lookUps, 1);
    EXPECT_EQ(first->source(), "built-in:block_c.gif");
    EXPECT_EQ(first->pixel(0, 0), 0xFF0000CCu);
    EXPECT_EQ(first->pixel(1, 0), 0u);
}

TEST(DesignStrokes, AFileNotBuiltInFailsNamingIt)
{
    DesignStrokes strokes("built-in:", [](const std::string&) { return std::span<const uint8_t>(); });
    try {
        strokes("target_c.gif");
        FAIL() << "made a picture of nothing";
    } catch (const PictureLoadError& error) {
        EXPECT_EQ(error.path(), "built-in:target_c.gif");
    }
}

TEST(PixelBox, CornerAndSizeRoundEachOnTheirOwn)
{
    Image slot;
    // 7.4 pixels across, 13.5 down and 37.4 wide: the right edge is 7 + 37,
    // not 44.8 rounded, so the box is as wide wherever it stands.
    slot.design("img_alpha", 0, 111, 202.5f, 561, 750);
    const PixelBox box = pixelBox(slot);
    EXPECT_EQ(box.left, 7);
    EXPECT_EQ(box.top, 14);
    EXPECT_EQ(box.width(), 37);
    EXPECT_EQ(box.height(), 50);
}

TEST(PixelBox, BoxesCrossOnlyWhereTheyShareAPixel)
{
    const PixelBox box{10, 10, 60, 60};
    EXPECT_TRUE(box.crosses({59, 59, 100, 100}));
    EXPECT_TRUE(box.crosses({20, 20, 30, 30})) << "one inside the other";
    EXPECT_FALSE(box.crosses({60, 10, 100, 60})) << "touching on the right";
    EXPECT_FALSE(box.crosses({10, 60, 60, 100})) << "touching below";
    EXPECT_FALSE(box.crosses({0, 10, 10, 60})) << "touching on the left";
    EXPECT_FALSE(box.crosses({10, 0, 60, 10})) << "touching above";
    EXPECT_FALSE(box.crosses({0, 0, 10, 10})) << "touching at a corner";
}
