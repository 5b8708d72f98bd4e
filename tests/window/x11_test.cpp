#include "rules/board.h"
#include "rules/shapelookup.h"
#include "tests/support/play.h"
#include "tests/support/windowdriver.h"
#include "tests/support/xinput.h"
#include "window/pictureboxwidget.h"

#include <QFile>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

// A design icon file as Qt's reader gives it, with premultiplied alpha: the
// icons are opaque or wholly clear pixel by pixel, so a clear one reads 0.
QImage designIcon(const std::string& name)
{
    return QImage(QString::fromStdString(ZENTRIK_PICTURE_DIR "/design/" + name))
        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// Pixels of a decoded icon beside the server's.
void expectSamePixels(const XImagePixels& shown, const QImage& decoded, const char* what)
{
    ASSERT_EQ(shown.size, decoded.size()) << what;
    int different = 0;
    for (int y = 0; y < decoded.height(); ++y) {
        for (int x = 0; x < decoded.width(); ++x) {
            const auto at = static_cast<size_t>(y) * static_cast<size_t>(decoded.width()) + static_cast<size_t>(x);
            different += shown.pixels[at] != decoded.pixel(x, y);
        }
    }
    EXPECT_EQ(different, 0) << what << ": pixels that differ from the decoded icon";
}

// Plays the game with real X input: the pointer moves on the screen and the
// buttons go down and up, and Qt hears of it from the X server.
class XPlayer {
public:
    explicit XPlayer(WindowDriver& game)
        : m_game(game)
    {
    }

    XServer x;

    QPoint onScreen(const QWidget* widget, QPoint local) const { return widget->mapToGlobal(local); }

    // Waits, with Qt's events running, until `done`.
    template <typename Condition>
    bool until(Condition done)
    {
        return QTest::qWaitFor(done, 5000);
    }

    void click(int piece)
    {
        x.moveTo(onScreen(m_game.window.pieceWidget(piece), {25, 25}));
        x.press();
        x.release();
    }

    void fill(int slot)
    {
        const GameForm& form = m_game.form();
        const Image& target = form.img_alpha[slot];
        const std::string tag = target.Tag();
        const std::optional<int> free = freeBlockFor(form, slot);
        ASSERT_TRUE(free) << "no free block for slot " << slot;
        const int piece = *free;
        const PictureBox& block = form.Piece[piece];

        click(piece);
        ASSERT_TRUE(until([&] { return form.state.selectedPiece == piece; })) << "block " << piece;
        for (int turns = 0; turns < 4 && block.Tag() != tag; ++turns) {
            const std::string before = block.Tag();
            click(piece);
            ASSERT_TRUE(until([&] { return block.Tag() != before; })) << "block " << piece << " turned";
        }
        ASSERT_EQ(block.Tag(), tag);

        // A pixel on the pad is four on the window, 60 twips.
        const QWidget* pad = m_game.window.padWidget();
        const QPoint delta(qRound((target.Left() - block.Left()) / 60), qRound((target.Top() - block.Top()) / 60));
        const QPoint start(delta.x() < 0 ? pad->width() - 1 : 1, delta.y() < 0 ? pad->height() - 1 : 1);
        x.moveTo(onScreen(pad, start));
        x.press();
        ASSERT_TRUE(until([&] { return form.state.dragging; }));
        for (int step = 1; step <= 6; ++step)
            x.moveTo(onScreen(pad, start + delta * step / 6));
        x.release();
        ASSERT_TRUE(until([&] { return target.Tag().empty(); })) << "slot " << slot << " filled";
    }

    // Selects the block, presses on the pad and drags it 10 pixels left,
    // leaving the button held; `dragged` is where the block then stands.
    void startDrag(int piece, float& dragged)
    {
        const QWidget* pad = m_game.window.padWidget();
        const PictureBox& block = m_game.form().Piece[piece];
        dragged = block.Left() - 10 * 60;
        click(piece);
        ASSERT_TRUE(until([&] { return m_game.form().state.selectedPiece == piece; }));
        x.moveTo(onScreen(pad, {100, 100}));
        x.press();
        x.moveTo(onScreen(pad, {90, 100}));
        ASSERT_TRUE(until([&] { return block.Left() == dragged; }));
    }

private:
    WindowDriver& m_game;
};

} // namespace

TEST(X11, WindowIconAndPadPointerAreTheDesignedOnes)
{
    WindowDriver game;
    XServer x;
    const unsigned long window = game.window.winId();
    XImagePixels icon;
    EXPECT_TRUE(QTest::qWaitFor([&] {
        icon = x.windowIcon(window, {32, 32});
        return icon.size == QSize(32, 32);
    })) << "no 32 x 32 _NET_WM_ICON";
    expectSamePixels(icon, designIcon("zentrik.ico"), "_NET_WM_ICON");

    const QWidget* pad = game.window.padWidget();
    x.moveTo(pad->mapToGlobal(pad->rect().center()));
    const QImage pointer = designIcon("pad.ico");
    XImagePixels cursor;
    EXPECT_TRUE(QTest::qWaitFor([&] {
        cursor = x.cursor();
        return cursor.size == QSize(32, 32);
    })) << "no 32 x 32 pointer over the pad";
    EXPECT_EQ(cursor.hotSpot, QPoint(16, 16));
    expectSamePixels(cursor, pointer, "the pointer over the pad");

    // Off the pad the pointer is the normal one again.
    x.moveTo(game.window.mapToGlobal(QPoint(20, 20)));
    EXPECT_TRUE(QTest::qWaitFor([&] { return x.cursor().pixels != cursor.pixels; }));
}

TEST(X11, WindowClassIsTheDesktopEntrysStartupWMClass)
{
    WindowDriver game;
    QFile entry(ZENTRIK_DESKTOP_ENTRY);
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly | QIODevice::Text));
    QString startupClass;
    while (!entry.atEnd()) {
        const QString line = QString::fromUtf8(entry.readLine()).trimmed();
        if (line.startsWith("StartupWMClass="))
            startupClass = line.mid(line.indexOf('=') + 1);
    }
    ASSERT_FALSE(startupClass.isEmpty());
    const QStringList wmClass = XServer().windowClass(game.window.winId());
    ASSERT_EQ(wmClass.size(), 2);
    EXPECT_EQ(wmClass[1], startupClass);
    EXPECT_EQ(QGuiApplication::desktopFileName() + ".desktop", QFileInfo(entry).fileName());
}

TEST(X11, LetterAPlayedWithRealPointerInput)
{
    WindowDriver game;
    XPlayer player(game);
    const LetterRange a = LETTERS[0];
    for (int slot = a.firstSlot; slot <= a.lastSlot; ++slot) {
        player.fill(slot);
        ASSERT_FALSE(testing::Test::HasFatalFailure());
    }
    EXPECT_TRUE(player.until([&] { return game.form().state.letterNo == 1; }));
    const QImage shot = game.grab();
    for (int slot = a.firstSlot; slot <= a.lastSlot; ++slot)
        EXPECT_EQ(shot.pixelColor(game.strokePixel(slot)), DARK_BLUE) << "slot " << slot;
}

// The tests' openbox puts a window it places itself in the middle of a
// screen larger than the game: the game's own placement is what brings it
// to the top left.
TEST(WindowManager, OuterFrameStandsAtTheTopLeftWithTheDesignedSize)
{
    WindowDriver game;
    XServer x;
    const QRect designed(0, 0, 1024, 768);
    QRect frame;
    EXPECT_TRUE(QTest::qWaitFor([&] {
        frame = x.frame(game.window.winId());
        return frame == designed;
    })) << "the frame the window manager drew: "
        << frame.x() << "," << frame.y() << " " << frame.width() << " x " << frame.height();
}

// The window manager takes the mouse away in the middle of a drag: the drag
// ends as if the button had been released, so the block never follows a
// pointer with no button held.
TEST(WindowManager, MinimisingDuringADragEndsIt)
{
    WindowDriver game;
    XPlayer player(game);
    const QWidget* pad = game.window.padWidget();
    const PictureBox& block = game.form().Piece[4];
    float dragged = 0;
    ASSERT_NO_FATAL_FAILURE(player.startDrag(4, dragged));

    player.x.iconify(game.window.winId());
    ASSERT_TRUE(player.until([&] { return game.window.isMinimized(); }));
    EXPECT_FALSE(game.form().state.dragging) << "the drag ended with the window";
    player.x.release();
    player.x.activate(game.window.winId());
    ASSERT_TRUE(player.until([&] { return !game.window.isMinimized() && game.window.isVisible(); }));

    player.x.moveTo(player.onScreen(pad, {60, 60}));
    player.x.moveTo(player.onScreen(pad, {50, 50}));
    QTest::qWait(200);
    EXPECT_EQ(block.Left(), dragged) << "the block stays where the drag ended";
}

TEST(WindowManager, APopupTakingTheMouseDuringADragEndsIt)
{
    WindowDriver game;
    XPlayer player(game);
    const QWidget* pad = game.window.padWidget();
    const PictureBox& block = game.form().Piece[4];
    float dragged = 0;
    ASSERT_NO_FATAL_FAILURE(player.startDrag(4, dragged));

    // A popup grabs the pointer; the button goes up while it holds it.
    QMenu menu;
    menu.addAction("popup");
    menu.popup(game.window.mapToGlobal(QPoint(100, 100)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));
    player.x.release();
    menu.close();

    player.x.moveTo(player.onScreen(pad, {60, 60}));
    player.x.moveTo(player.onScreen(pad, {50, 50}));
    EXPECT_TRUE(player.until([&] { return !game.form().state.dragging; }));
    EXPECT_EQ(block.Left(), dragged) << "the block stays where the drag ended";
}
