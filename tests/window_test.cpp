#include "pictureboxwidget.h"
#include "selection.h"
#include "testgame.h"
#include "windowdriver.h"

#include <QMessageBox>
#include <QPaintEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <set>

namespace {

const std::set<QRgb> BACKGROUND_PALETTE{0xC54A29, 0xEC571D, 0xFF4518, 0xFF6F13, 0xD5801E, 0xFB8118, 0xFF8700, 0xFF821E,
                                        0xC5B600, 0xCEB01E, 0xF4B500, 0xF9B129, 0xFF9100, 0xFFB300, 0xFFA21A, 0xFFB64B};

QColor at(const QImage& image, QPoint point)
{
    return image.pixelColor(point);
}

// Collects the rectangles a widget is asked to repaint.
class PaintSpy : public QObject {
public:
    explicit PaintSpy(QWidget* widget) { widget->installEventFilter(this); }
    QRegion painted;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
};

} // namespace

TEST(Window, OpensAtTheTopLeftWithTheDesignedLayout)
{
    WindowDriver game;
    const GameWindow& window = game.window;
    EXPECT_EQ(window.windowTitle(), "Zentrik");
    // Wayland tells a client nothing of where its window stands.
    if (QGuiApplication::platformName() != "wayland") {
        EXPECT_EQ(window.frameGeometry().topLeft(), QPoint(0, 0));
    }
    EXPECT_EQ(window.frameGeometry().size(), QSize(1024, 768));
    EXPECT_FALSE(window.windowIcon().isNull());

    const QRect pad = window.padWidget()->geometry();
    EXPECT_EQ(pad.topLeft(), QPoint(676, 484));
    EXPECT_NEAR(pad.width(), 243.5, 0.5);
    EXPECT_NEAR(pad.height(), 179.5, 0.5);
    EXPECT_EQ(window.padWidget()->cursor().shape(), Qt::BitmapCursor);

    const int lefts[] = {110, 201, 292, 382, 473, 564};
    for (int i = 0; i < PIECE_COUNT; ++i)
        EXPECT_EQ(window.pieceWidget(i)->geometry(), QRect(lefts[i], 534, 50, 50)) << i;
}

TEST(Window, ShowsTheChartInItsColoursOverTheBackground)
{
    WindowDriver game;
    const QImage shot = game.grab();
    for (int slot = 0; slot < SLOT_COUNT; ++slot)
        EXPECT_EQ(at(shot, game.strokePixel(slot)), slot <= 2 ? YELLOW : GREEN) << "slot " << slot;
    for (int piece = 0; piece < PIECE_COUNT; ++piece) {
        EXPECT_EQ(at(shot, game.groundPixel(piece)), RED) << piece;
        EXPECT_EQ(at(shot, game.blockStrokePixel(piece)), DARK_BLUE) << piece;
    }
    EXPECT_EQ(at(shot, {700, 520}), QColor(0, 0, 0xC0)) << "the pad";
    for (QPoint ground : {QPoint(5, 5), QPoint(1000, 300), QPoint(300, game.window.height() - 5), QPoint(1010, 700)})
        EXPECT_TRUE(BACKGROUND_PALETTE.contains(at(shot, ground).rgb() & 0xFFFFFF)) << ground.x() << "," << ground.y();
}

TEST(Window, LabelsShowDarkBlueTextInTheirBoxes)
{
    WindowDriver game;
    const QImage shot = game.grab();
    for (const Label* label : {&game.form().Label1, &game.form().lblPicFile}) {
        const QRect box = pixelRect(*label);
        int ink = 0;
        for (int y = box.top(); y <= box.bottom(); ++y) {
            for (int x = box.left(); x <= box.right(); ++x) {
                const QColor c = shot.pixelColor(x, y);
                ink += c.blue() > c.red() + 40 && c.blue() > c.green() + 40;
            }
        }
        EXPECT_GT(ink, 300) << label->Name();
        EXPECT_EQ(at(shot, box.topLeft()), SELECTED_ORANGE) << "label ground";
    }
}

TEST(Window, ClickSelectsAndTurnsTheBlockOnScreen)
{
    WindowDriver game;
    game.click(2);
    EXPECT_EQ(at(game.grab(), game.groundPixel(2)), SELECTED_ORANGE);
    EXPECT_EQ(at(game.grab(), game.groundPixel(3)), RED);
    game.click(2);
    EXPECT_EQ(game.form().Piece[2].Tag(), "upright");
    EXPECT_EQ(at(game.grab(), game.blockStrokePixel(2)), DARK_BLUE);
}

TEST(Window, PadDragMovesTheBlockFourTimesAsFarAndRepaintsOnlyAroundIt)
{
    WindowDriver game;
    game.click(4);
    QApplication::processEvents();
    PaintSpy spy(&game.window);
    const QRect before = game.window.pieceWidget(4)->geometry();
    game.drag({-1200, -600});
    QApplication::processEvents();
    const QRect after = game.window.pieceWidget(4)->geometry();
    EXPECT_EQ(after.topLeft() - before.topLeft(), QPoint(-80, -40));
    EXPECT_FALSE(spy.painted.isEmpty());
    EXPECT_TRUE(spy.painted.boundingRect().intersected(QRect(0, 0, 1024, 300)).isEmpty())
        << "the chart's top rows were repainted";
}

TEST(Window, RightButtonAndMovesOffThePadStillDrag)
{
    WindowDriver game;
    game.click(5);
    QWidget* pad = game.window.padWidget();
    QTest::mousePress(pad, Qt::RightButton, {}, QPoint(10, 100));
    QTest::mouseMove(pad, QPoint(-40, 100)); // the pointer has left the pad, the button is held
    QTest::mouseRelease(pad, Qt::RightButton, {}, QPoint(-40, 100));
    EXPECT_EQ(game.form().Piece[5].Left(), 8460 - 50 * 60);
}

TEST(Window, MissingPictureIsReportedWithoutStoppingTheGame)
{
    WindowDriver game(pictureFolderWithout({"upright2b.gif"}));
    game.click(3);
    game.click(3);
    QMessageBox* message = game.window.failureMessage();
    ASSERT_NE(message, nullptr);
    EXPECT_TRUE(message->isVisible());
    EXPECT_FALSE(message->isModal());
    EXPECT_TRUE(message->text().contains("upright2b.gif"));
    EXPECT_EQ(game.form().Piece[3].Tag(), "vert");

    game.drag({1560 - 5730, 1290 - 8010});
    EXPECT_EQ(game.form().img_alpha[2].Tag(), "") << "the game goes on";
}
