// Input to screen on X11: the time from an XTest pointer motion on the drag
// pad to the X damage that covers the dragged block's new place, for the
// program whose window is on $DISPLAY (the game, or bare_drag beside it).
//
//   input_latency MOVES
//
// Output: each move's time in microseconds, one a line.

#include "tests/support/x11client.h"

#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace {

// The first block's place and the pad's middle, in the window (at the
// screen's top left when there is no window manager).
constexpr int BLOCK_LEFT = 110;
constexpr int BLOCK_TOP = 534;
constexpr int BLOCK_SIZE = 50;
constexpr int PAD_X = 793;
constexpr int PAD_Y = 561;
// The block moves 4 pixels per pixel on the pad; swinging the pointer 5 pixels
// either way keeps it far from every slot and inside its movement box.
constexpr int PAD_SCALE = 4;
constexpr int SWING = 5;
constexpr int WARM_UP_MOVES = 20;
constexpr long long MOVE_TIMEOUT_NS = 2'000'000'000;
constexpr long long QUIET_NS = 2'000'000;

// A triangle wave over -SWING..SWING: every move takes one pixel.
int offsetOf(int move)
{
    const int phase = (move + 1) % (4 * SWING);
    return phase <= SWING ? phase : phase <= 3 * SWING ? 2 * SWING - phase : phase - 4 * SWING;
}

// Sends one motion and returns the nanoseconds until the damage since then covers `block`.
long long timeMove(X11Client& x, int damageEvent, int pointerX, XRectangle block)
{
    Region damaged = XCreateRegion();
    const long long sent = monotonicNanoseconds();
    x.moveTo(pointerX, PAD_Y);
    const bool covered = x.readEventsUntil(
        [&](const XEvent& event) {
            if (event.type != damageEvent + XDamageNotify)
                return false;
            XRectangle area = reinterpret_cast<const XDamageNotifyEvent&>(event).area;
            XUnionRectWithRegion(&area, damaged, damaged);
            return XRectInRegion(damaged, block.x, block.y, block.width, block.height) == RectangleIn;
        },
        MOVE_TIMEOUT_NS);
    const long long elapsed = monotonicNanoseconds() - sent;
    XDestroyRegion(damaged);
    if (!covered)
        throw std::runtime_error("the block's new place was never repainted");
    return elapsed;
}

} // namespace

int main(int argc, char* argv[])
{
    try {
        const int moves = argc > 1 ? std::atoi(argv[1]) : 500;
        X11Client x;
        const Window window = x.waitForWindow();
        int damageEvent = 0, damageError = 0;
        if (!XDamageQueryExtension(x.display(), &damageEvent, &damageError))
            throw std::runtime_error("the X server has no Damage");

        // Select the block, then hold the button on the pad.
        x.click(BLOCK_LEFT + BLOCK_SIZE / 2, BLOCK_TOP + BLOCK_SIZE / 2);
        x.moveTo(PAD_X, PAD_Y);
        x.press(Button1);
        // A new damage object reports the whole window once: taken in here.
        XDamageCreate(x.display(), window, XDamageReportRawRectangles);
        x.waitUntilTakenIn();

        for (int move = 0; move < WARM_UP_MOVES + moves; ++move) {
            const int offset = offsetOf(move);
            const XRectangle block{static_cast<short>(BLOCK_LEFT + PAD_SCALE * offset), BLOCK_TOP, BLOCK_SIZE,
                                   BLOCK_SIZE};
            const long long ns = timeMove(x, damageEvent, PAD_X + offset, block);
            if (move >= WARM_UP_MOVES)
                std::printf("%lld\n", ns / 1000);
            // The program finishes the frame before the next move: it has read
            // everything, and the rest of its repaint comes within 2 ms.
            x.waitUntilTakenIn();
            x.readEventsUntil([](const XEvent&) { return false; }, QUIET_NS);
        }
        x.release(Button1);
        x.waitUntilTakenIn();
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "input_latency: %s\n", error.what());
        return 1;
    }
}
