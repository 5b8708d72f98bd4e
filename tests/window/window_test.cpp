#include "rules/selection.h"
#include "tests/support/testgame.h"
#include "tests/support/windowdriver.h"
#include "window/pictureboxwidget.h"
#include "window/qtconvert.h"

#include "design/background.h"
#include "design/colours.h"

#include <QMessageBox>
#include <QPaintEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

bool inBackgroundPalette(QColor colour)
{
    return std::ranges::any_of(SPECKLES,
                               [&](const Speckle& speckle) { return speckle.rgb == (colour.rgb() & 0xFFFFFF); });
}

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
    EXPECT_EQ(at(shot, {700, 520}), QColor::fromRgb(toRgb(PAD_BLUE))) << "the pad";
    for (QPoint ground : {QPoint(5, 5), QPoint(1000, 300), QPoint(300, game.window.height() - 5), QPoint(1010, 700)})
        EXPECT_TRUE(inBackgroundPalette(at(shot, ground))) << ground.x() << "," << ground.y();
}

// Checks colours, not glyphs: fonts differ between machines, but every pixel
// of a label's box is its orange ground, its dark blue ink, or a blend of the two.
TEST(Window, LabelsShowDarkBlueTextInTheirBoxes)
{
    WindowDriver game;
    const QImage shot = game.grab();
    for (const Label* label : {&game.form().Label1, &game.form().lblPicFile}) {
        const QColor ground = toQColor(label->BackColor());
        const QColor ink = toQColor(label->ForeColor());
        EXPECT_EQ(ground, SELECTED_ORANGE) << label->Name();
        EXPECT_EQ(ink, QColor::fromRgb(toRgb(TEXT_BLUE))) << label->Name();

        const QRect box = pixelRect(*label);
        EXPECT_EQ(at(shot, box.topLeft()), ground) << "the box is filled";
        EXPECT_EQ(at(shot, box.bottomRight()), ground) << "the box is filled";
        bool inked = false;
        for (int y = box.top(); y <= box.bottom(); ++y) {
            for (int x = box.left(); x <= box.right(); ++x) {
                const QColor c = at(shot, {x, y});
                // How far from the ground towards the ink, channel by channel; all alike for a blend.
                const double t = double(ground.red() - c.red()) / (ground.red() - ink.red());
                const double expectedGreen = ground.green() + t * (ink.green() - ground.green());
                const double expectedBlue = ground.blue() + t * (ink.blue() - ground.blue());
                ASSERT_TRUE(t >= -0.02 && t <= 1.02 && std::abs(c.green() - expectedGreen) <= 8
                            && std::abs(c.blue() - expectedBlue) <= 8)
                    << label->Name() << " has a stray colour at " << x << "," << y;
                inked = inked || t > 0.5;
            }
        }
        EXPECT_TRUE(inked) << label->Name() << " shows no text";
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

// A child who clicks quickly must not lose a turn: the second press of a
// double click arrives as a double-click event, and it counts as a click too.
TEST(Window, ADoubleClickIsTwoClicks)
{
    WindowDriver game;
    QWidget* block = game.window.pieceWidget(4);
    QTest::mouseClick(block, Qt::LeftButton, {}, QPoint(25, 25));
    QTest::mouseDClick(block, Qt::LeftButton, {}, QPoint(25, 25));
    QTest::mouseRelease(block, Qt::LeftButton, {}, QPoint(25, 25));
    EXPECT_EQ(game.form().state.selectedPiece, 4);
    EXPECT_EQ(game.form().Piece[4].Tag(), "upright") << "selected by the first click, turned by the second";
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

TEST(Window, MissingPictureIsReportedAndTheBlockKeepsItsPicture)
{
    const std::filesystem::path folder = pictureFolderWithout({"upright2b.gif"});
    WindowDriver game(folder);
    game.click(3);
    game.click(3);
    QMessageBox* message = game.window.failureMessage();
    ASSERT_NE(message, nullptr);
    EXPECT_TRUE(message->isVisible());
    EXPECT_FALSE(message->isModal());
    EXPECT_TRUE(message->text().contains(QString::fromStdString((folder / "upright2b.gif").string())));
    EXPECT_EQ(game.form().Piece[3].Tag(), "upright");
    const QPoint block = game.window.pieceWidget(3)->pos();
    EXPECT_EQ(at(game.grab(), block + QPoint(25, 2)), DARK_BLUE) << "still the vertical bar";
}

TEST(Window, MissingPictureFolderIsSaidAtStartNamingEveryPlaceLookedAt)
{
    const PictureFolder nowhere("/nonexistent/zentrik/pictures",
                                {"/nonexistent/bin/pictures", "/nonexistent/zentrik/pictures"});
    WindowDriver game(nowhere);
    ASSERT_TRUE(QTest::qWaitFor([&] { return game.window.failureMessage() != nullptr; }));
    EXPECT_TRUE(game.window.failureMessage()->text().contains("/nonexistent/bin/pictures"));
    EXPECT_TRUE(game.window.failureMessage()->text().contains("/nonexistent/zentrik/pictures"));
    EXPECT_EQ(game.form().Label1.Caption().substr(0, 3), "（") << "start-up ran as usual";
}

// The scene stacks some blocks under the pad; a block that a drag leaves on
// the pad must still be seen and clicked, or a letter that needs it is lost.
TEST(Window, EveryBlockStandsAboveThePad)
{
    WindowDriver game;
    const QPoint padCorner = game.window.padWidget()->pos();
    for (int piece = 0; piece < PIECE_COUNT; ++piece) {
        const QPoint spot = padCorner + QPoint(10 + piece % 3 * 60, 10 + piece / 3 * 70);
        const QPoint from = game.window.pieceWidget(piece)->pos();
        game.click(piece);
        game.drag({(spot.x() - from.x()) * 15.0, (spot.y() - from.y()) * 15.0});

        const QPoint centre = spot + QPoint(25, 25);
        ASSERT_EQ(game.window.childAt(centre), game.window.pieceWidget(piece)) << "block " << piece;

        const std::string before = game.form().Piece[piece].Tag();
        QTest::mouseClick(game.window.childAt(centre), Qt::LeftButton, {}, QPoint(25, 25));
        EXPECT_NE(game.form().Piece[piece].Tag(), before) << "block " << piece << " turned where it stands";
    }
}
