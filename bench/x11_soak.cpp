// Soak on X11: random real X events (pointer moves on and around the drag pad
// and out to any edge of the screen, presses and releases of any button on the
// pad, clicks on the blocks)
// sent to the program on $DISPLAY, with its resident memory read after the
// first thousand events and at the end. A seed makes a run repeatable.
//
//   x11_soak EVENTS SEED PID
//
// Output: "<VmRSS kB after 1000 events> <VmRSS kB at the end>". Progress goes
// to standard error.

#include "tests/support/x11client.h"

#include <X11/Xutil.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int BLOCK_LEFTS[] = {110, 201, 292, 382, 473, 564};
constexpr int BLOCK_TOP = 534;
constexpr int BLOCK_SIZE = 50;
constexpr unsigned long RED = 0xFF0000;
constexpr int GRID = 10;
// Most moves stay within REACH of the last press on the pad, as a player's
// hand does: the block stays near where the drag took it.
constexpr int REACH = 15;
constexpr int PAD_LEFT = 676, PAD_TOP = 484, PAD_WIDTH = 234, PAD_HEIGHT = 155;
// Events sent before the program must have read them all: keeps its queue short.
constexpr long BATCH = 50;
constexpr long FIRST_THOUSAND = 1000;
constexpr long PROGRESS_EVERY = 10'000;

long residentKilobytes(const std::string& pid)
{
    std::ifstream status("/proc/" + pid + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    }
    throw std::runtime_error("the program is gone");
}

class Soak {
public:
    Soak(X11Client& x, Window window, unsigned seed)
        : m_x(x)
        , m_window(window)
        , m_random(seed)
    {
        const Screen* screen = DefaultScreenOfDisplay(x.display());
        m_width = screen->width;
        m_height = screen->height;
    }

    long sent() const { return m_sent; }

    // One random action: one to three events.
    void act()
    {
        const int roll = uniform(0, 99);
        if (roll < 6)
            clickBlock();
        else if (roll < 18)
            pressOnPad();
        else if (roll < 30)
            releaseOne();
        else if (roll < 36)
            excursion();
        else
            move(m_anchor.x + uniform(-REACH, REACH), m_anchor.y + uniform(-REACH, REACH));
    }

    void releaseAll()
    {
        while (!m_held.empty())
            releaseOne();
    }

private:
    int uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }

    void move(int x, int y)
    {
        m_pointer = {x, y};
        m_x.moveTo(x, y);
        ++m_sent;
    }

    // A wild move, far along one axis, and straight back. A block carried out
    // of its box comes back on the move back; across both axes at once, or
    // left out by a release, it would be lost for the rest of the run.
    void excursion()
    {
        const auto back = m_pointer;
        if (uniform(0, 1))
            move(uniform(0, m_width - 1), back.y);
        else
            move(back.x, uniform(0, m_height - 1));
        move(back.x, back.y);
    }

    // Blocks wander off their places in a drag: most clicks go where a red
    // (unselected) block shows, the rest where blocks start.
    void clickBlock()
    {
        const std::vector<XPoint> red = uniform(0, 3) ? redPoints() : std::vector<XPoint>();
        if (!red.empty()) {
            const XPoint at = red[static_cast<size_t>(uniform(0, static_cast<int>(red.size()) - 1))];
            move(at.x, at.y);
        } else {
            const int left = BLOCK_LEFTS[uniform(0, 5)];
            move(uniform(left, left + BLOCK_SIZE - 1), uniform(BLOCK_TOP, BLOCK_TOP + BLOCK_SIZE - 1));
        }
        if (m_held.empty()) {
            m_x.press(Button1);
            m_x.release(Button1);
            m_sent += 2;
        }
    }

    std::vector<XPoint> redPoints()
    {
        XWindowAttributes attributes;
        XGetWindowAttributes(m_x.display(), m_window, &attributes);
        XImage* image = XGetImage(m_x.display(), m_window, 0, 0, static_cast<unsigned>(attributes.width),
                                  static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
        std::vector<XPoint> points;
        for (int y = 0; y < attributes.height; y += GRID)
            for (int x = 0; x < attributes.width; x += GRID)
                if (XGetPixel(image, x, y) == RED)
                    points.push_back({static_cast<short>(x), static_cast<short>(y)});
        XDestroyImage(image);
        return points;
    }

    void pressOnPad()
    {
        const auto button = static_cast<unsigned>(uniform(Button1, Button3));
        if (m_held.count(button))
            return;
        move(uniform(PAD_LEFT, PAD_LEFT + PAD_WIDTH - 1), uniform(PAD_TOP, PAD_TOP + PAD_HEIGHT - 1));
        m_anchor = m_pointer;
        m_x.press(button);
        m_held.insert(button);
        ++m_sent;
    }

    void releaseOne()
    {
        if (m_held.empty())
            return;
        m_x.release(*m_held.begin());
        m_held.erase(m_held.begin());
        ++m_sent;
    }

    X11Client& m_x;
    Window m_window;
    std::mt19937 m_random;
    int m_width = 0;
    int m_height = 0;
    std::set<unsigned> m_held;
    struct Point {
        int x, y;
    };
    Point m_pointer{0, 0};
    Point m_anchor{PAD_LEFT + PAD_WIDTH / 2, PAD_TOP + PAD_HEIGHT / 2};
    long m_sent = 0;
};

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: x11_soak EVENTS SEED PID\n");
        return 2;
    }
    try {
        const long events = std::atol(argv[1]);
        const std::string pid = argv[3];
        X11Client x;
        const Window window = x.waitForWindow();
        Soak soak(x, window, static_cast<unsigned>(std::atol(argv[2])));

        long firstThousandKb = 0;
        long nextWait = BATCH;
        long nextReport = PROGRESS_EVERY;
        while (soak.sent() < events) {
            soak.act();
            if (soak.sent() < nextWait)
                continue;
            nextWait = soak.sent() + BATCH;
            x.waitUntilTakenIn();
            if (!firstThousandKb && soak.sent() >= FIRST_THOUSAND)
                firstThousandKb = residentKilobytes(pid);
            if (soak.sent() >= nextReport) {
                std::fprintf(stderr, "soak: %ld events, VmRSS %ld kB\n", soak.sent(), residentKilobytes(pid));
                nextReport += PROGRESS_EVERY;
            }
        }
        soak.releaseAll();
        x.waitUntilTakenIn();
        std::printf("%ld %ld\n", firstThousandKb, residentKilobytes(pid));
        x.closeWindow();
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "x11_soak: %s\n", error.what());
        return 1;
    }
}
