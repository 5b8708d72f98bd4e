// Counts, under callgrind, the instructions of one pad move during a drag with
// the repaint it causes, and of one repaint of the whole window. Run as
//
//   valgrind --tool=callgrind --collect-atstart=no drag_repaint
//
// Each part is collected alone and dumped with its own name ("pad move",
// "full repaint"), averaged over MEASURED events. Outside valgrind the
// client requests do nothing and the program only prints what it repainted.

#include "window/gamewindow.h"
#include "window/pictureboxwidget.h"

#include <QApplication>
#include <QPaintEvent>
#include <QTest>

#include <valgrind/callgrind.h>

#include <cstdio>

namespace {

constexpr int MEASURED = 10;
// Pad pixels a move goes; the block goes four times as far.
constexpr int STEP = 5;
// A line block; the measured moves carry it up and to the right from the
// block row into the chart, as a player's drag towards a slot does.
constexpr int PIECE = 2;

// Sums up the rectangles widgets are asked to paint.
class PaintSpy : public QObject {
public:
    int windowPixels = 0;
    int childPixels = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            const QRegion region = static_cast<QPaintEvent*>(event)->region();
            int pixels = 0;
            for (const QRect& rect : region)
                pixels += rect.width() * rect.height();
            (qobject_cast<GameWindow*>(watched) ? windowPixels : childPixels) += pixels;
        }
        return false;
    }
};

// A move of the pointer on the pad with the button held, as QTest delivers
// it, and the repaint the window then does with the next pass of its loop.
void moveOnPad(QWidget* pad, QPoint to)
{
    QTest::mouseMove(pad, to);
    QApplication::processEvents();
}

// The whole window painted afresh: its own surface and every block and the
// pad on it, through the same pass of the loop as a move's repaint. (A
// repaint of the window alone leaves its opaque children out.)
void repaintAll(GameWindow& window)
{
    window.update();
    for (QWidget* child : window.findChildren<QWidget*>())
        child->update();
    QApplication::processEvents();
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    GameWindow window(std::filesystem::path(ZENTRIK_PICTURE_DIR));
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;

    QTest::mouseClick(window.pieceWidget(PIECE), Qt::LeftButton, {}, QPoint(25, 25));
    QWidget* pad = window.padWidget();
    QPoint at(10, 60);
    QTest::mousePress(pad, Qt::LeftButton, {}, at);

    // Warm up: the first moves and repaints fill Qt's caches.
    for (int i = 0; i < 5; ++i)
        moveOnPad(pad, at += QPoint(STEP, 0));
    repaintAll(window);

    PaintSpy spy;
    window.installEventFilter(&spy);
    for (QWidget* child : window.findChildren<QWidget*>())
        child->installEventFilter(&spy);

    const QPoint blockBefore = window.pieceWidget(PIECE)->pos();
    CALLGRIND_ZERO_STATS;
    for (int i = 0; i < MEASURED; ++i) {
        const QPoint to = at + QPoint(STEP, -3);
        CALLGRIND_TOGGLE_COLLECT;
        moveOnPad(pad, to);
        CALLGRIND_TOGGLE_COLLECT;
        at = to;
    }
    CALLGRIND_DUMP_STATS_AT("pad move");
    const QPoint blockAfter = window.pieceWidget(PIECE)->pos();
    std::printf("pad moves: %d, block moved from (%d, %d) to (%d, %d); painted a move: window %d px, blocks %d px\n",
                MEASURED, blockBefore.x(), blockBefore.y(), blockAfter.x(), blockAfter.y(), spy.windowPixels / MEASURED,
                spy.childPixels / MEASURED);
    const int movePixels = spy.windowPixels + spy.childPixels;

    spy.windowPixels = spy.childPixels = 0;
    CALLGRIND_ZERO_STATS;
    for (int i = 0; i < MEASURED; ++i) {
        CALLGRIND_TOGGLE_COLLECT;
        repaintAll(window);
        CALLGRIND_TOGGLE_COLLECT;
    }
    CALLGRIND_DUMP_STATS_AT("full repaint");
    std::printf("full repaints: %d; painted a repaint: window %d px, blocks %d px\n", MEASURED,
                spy.windowPixels / MEASURED, spy.childPixels / MEASURED);

    QTest::mouseRelease(pad, Qt::LeftButton, {}, at);
    // Nothing measured unless the block really moved and was repainted.
    return blockAfter != blockBefore && movePixels > 0 ? 0 : 1;
}
