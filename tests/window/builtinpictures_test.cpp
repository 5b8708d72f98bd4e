// The pictures compiled into the program, as the window reads them and
// shows them, checked against what the generator drew.

#include "pictures/backgroundpicture.h"
#include "pictures/icons.h"
#include "tests/support/windowdriver.h"
#include "window/builtinpictures.h"
#include "window/pictureboxwidget.h"

#include <QResource>

#include <gtest/gtest.h>

#include <span>
#include <vector>

namespace {

constexpr QRgb OPAQUE = 0xFF000000;

void expectLikeTheArt(const QImage& image, const IconImage& art)
{
    ASSERT_EQ(image.size(), QSize(art.size, art.size));
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < art.size; ++y) {
        for (int x = 0; x < art.size; ++x) {
            const size_t i = static_cast<size_t>(y) * static_cast<size_t>(art.size) + static_cast<size_t>(x);
            const QRgb pixel = argb.pixel(x, y);
            if (art.transparent[i])
                ASSERT_EQ(qAlpha(pixel), 0) << x << "," << y;
            else
                ASSERT_EQ(pixel, OPAQUE | art.palette[art.indexes[i]]) << x << "," << y;
        }
    }
}

} // namespace

TEST(BuiltInPictures, BackgroundReadsAsTheTileRepeated)
{
    const QImage background = builtInBitmap("background.bmp");
    // Pixel for pixel as Qt's own reader reads it.
    EXPECT_EQ(background, builtInImage("background.bmp").convertToFormat(QImage::Format_RGB32));
    ASSERT_EQ(background.size(), QSize(BACKGROUND_WIDTH, BACKGROUND_HEIGHT));
    const std::vector<uint8_t> tile = makeBackgroundTile();
    for (int y = 0; y < BACKGROUND_HEIGHT; y += 7) {
        for (int x = 0; x < BACKGROUND_WIDTH; x += 3) {
            const uint8_t index
                = tile[(y % BACKGROUND_TILE_HEIGHT) * BACKGROUND_TILE_WIDTH + x % BACKGROUND_TILE_WIDTH];
            ASSERT_EQ(background.pixel(x, y), OPAQUE | SPECKLES[index].rgb) << x << "," << y;
        }
    }
}

TEST(BuiltInPictures, TheWindowShowsTheIconAndPadPointerAsDrawn)
{
    expectLikeTheArt(builtInImage("zentrik.ico"), windowIconImage());
    expectLikeTheArt(builtInImage("pad.ico"), padPointerImage());

    WindowDriver game;
    expectLikeTheArt(game.window.windowIcon().pixmap(32, 32).toImage(), windowIconImage());
    const QCursor cursor = game.window.padWidget()->cursor();
    EXPECT_EQ(cursor.hotSpot(), QPoint(16, 16));
    expectLikeTheArt(cursor.pixmap().toImage(), padPointerImage());
}

TEST(BuiltInPictures, ABitmapCutShortOrOfAnotherDepthIsRefused)
{
    const QByteArray bytes = QResource(":/pictures/background.bmp").uncompressedData();
    std::vector<uint8_t> file(bytes.begin(), bytes.end());
    EXPECT_THROW(decodeBitmap4(std::span(file).first(file.size() - 1), "cut"), PictureLoadError);
    file[28] = 8;
    EXPECT_THROW(decodeBitmap4(file, "8 bits"), PictureLoadError);
}

TEST(BuiltInPictures, AMissingPictureFailsNamingIt)
{
    try {
        builtInImage("no_such.bmp");
        FAIL() << "read a picture that is not there";
    } catch (const PictureLoadError& error) {
        EXPECT_EQ(error.path(), ":/pictures/no_such.bmp");
    }
}
