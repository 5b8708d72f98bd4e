#include "tests/support/windowdriver.h"

#include "rules/shapelookup.h"
#include "tests/support/play.h"
#include "window/pictureboxwidget.h"
#include "window/qtconvert.h"

#include <QApplication>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

namespace {

// Waits until no window shown has a frame in flight. Qt 6.4's Wayland
// client destroys a window's pending frame callback on the GUI thread as the
// window goes, while its frame thread may be destroying the same callback as
// it handles the compositor's "done": libwayland-client then aborts in
// wl_proxy_unref. Qt hands a window an update asked for while a frame is in
// flight only once that frame's callback is handled, and a window sends a
// frame only right after a paint. An update handed over may have been asked
// for before the last frame went, so a window has none in flight once it got
// two updates in a row with no paint since the first was asked for. The
// updates are taken here, so that they paint nothing.
class FramesInFlight : public QObject {
public:
    FramesInFlight()
    {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->isVisible() && widget->windowHandle() && widget->windowHandle()->handle())
                m_windows[widget->windowHandle()] = {};
        }
        qApp->installEventFilter(this);
        for (auto& [window, updates] : m_windows)
            ask(window, updates);
    }
    ~FramesInFlight() override { qApp->removeEventFilter(this); }
    FramesInFlight(const FramesInFlight&) = delete;
    FramesInFlight& operator=(const FramesInFlight&) = delete;

    bool none() const
    {
        return std::ranges::all_of(m_windows, [](const auto& window) { return window.second.clean >= 2; });
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            for (auto& [window, updates] : m_windows) {
                updates.clean = 0;
                if (!updates.asked)
                    ask(window, updates);
            }
        }
        const auto window = m_windows.find(object);
        if (event->type() != QEvent::UpdateRequest || window == m_windows.end())
            return false;
        Updates& updates = window->second;
        updates.asked = false;
        if (++updates.clean < 2)
            ask(object, updates);
        return true;
    }

private:
    struct Updates {
        int clean = 0;      // updates handed over with no paint since the first was asked for
        bool asked = false; // an update asked for and not yet handed over
    };

    static void ask(QObject* window, Updates& updates)
    {
        updates.asked = true;
        static_cast<QWindow*>(window)->requestUpdate();
    }

    std::map<QObject*, Updates> m_windows;
};

} // namespace

WindowDriver::WindowDriver(PictureFolder pictureFolder)
    : window(std::move(pictureFolder))
{
    window.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    // The icon and the pad pointer come right after the first frame.
    EXPECT_TRUE(QTest::qWaitFor([this] { return !window.windowIcon().isNull(); }));
}

WindowDriver::~WindowDriver()
{
    // The windows go as soon as this returns, with no event handled between.
    if (QGuiApplication::platformName() == "wayland") {
        const FramesInFlight frames;
        if (!QTest::qWaitFor([&] { return frames.none(); }))
            qWarning("the compositor finished no frame: the windows go with one in flight");
    }
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
