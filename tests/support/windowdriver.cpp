#include "tests/support/windowdriver.h"

#include "rules/shapelookup.h"
#include "tests/support/play.h"
#include "window/pictureboxwidget.h"
#include "window/qtconvert.h"

#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

WindowDriver::WindowDriver(PictureFolder pictureFolder)
    : window(std::move(pictureFolder))
{
    window.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    // The icon and the pad pointer come right after the first frame.
    EXPECT_TRUE(QTest::qWaitFor([this] { return !window.windowIcon().isNull(); }));
}

void WindowDriver::click(int piece)
{
    QTest::mouseClick(window.pieceWidget(piece), Qt::LeftButton, {}, QPoint(25, 25));
}

void WindowDriver::drag(QPointF twips)
{
    constexpr double TWIPS_PER_PAD_PIXEL = 15 * 4;
    QWidget* pad = window.padWidget();
    const QPoint delta(qRound(twips.x() / TWIPS_PER_PAD_PIXEL), qRound(twips.y() / TWIPS_PER_PAD_PIXEL));
    // Start where the whole movement stays on the pad; not at (0, 0), which
    // QTest takes for "the widget's centre".
    const QPoint start(delta.x() < 0 ? pad->width() - 1 : 1, delta.y() < 0 ? pad->height() - 1 : 1);
    QTest::mousePress(pad, Qt::LeftButton, {}, start);
    constexpr int STEPS = 6;
    for (int step = 1; step <= STEPS; ++step)
        QTest::mouseMove(pad, start + delta * step / STEPS);
    QTest::mouseRelease(pad, Qt::LeftButton, {}, start + delta);
}

void WindowDriver::fill(int slot)
{
    const std::optional<int> piece = freeBlockFor(form(), slot);
    ASSERT_TRUE(piece) << "no free block for slot " << slot;
    const Image& target = form().img_alpha[slot];
    const PictureBox& block = form().Piece[*piece];
    click(*piece);
    for (int turns = 0; turns < 4 && block.Tag() != target.Tag(); ++turns)
        click(*piece);
    ASSERT_EQ(block.Tag(), target.Tag());
    drag({target.Left() - block.Left(), target.Top() - block.Top()});
}

void WindowDriver::playLetter()
{
    const int16_t letter = form().state.letterNo;
    while (form().state.letterNo == letter && !testing::Test::HasFatalFailure()) {
        const std::optional<int> slot = nextEmptySlot(form());
        ASSERT_TRUE(slot) << "letter " << letter << " has no empty slot";
        fill(*slot);
    }
}

QImage WindowDriver::grab()
{
    return window.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QPoint WindowDriver::strokePixel(int slot) const
{
    const std::optional<PixelPoint> pixel = ::strokePixel(form(), slot);
    if (!pixel) {
        ADD_FAILURE() << "slot " << slot << " has no pixel of its own";
        return {};
    }
    return {pixel->x, pixel->y};
}

QPoint WindowDriver::groundPixel(int piece) const
{
    const PixelPoint pixel = blockPixel(form(), piece, false);
    return {pixel.x, pixel.y};
}

QPoint WindowDriver::blockStrokePixel(int piece) const
{
    const PixelPoint pixel = blockPixel(form(), piece, true);
    return {pixel.x, pixel.y};
}
