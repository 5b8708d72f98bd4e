#include "tests/support/x11client.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <poll.h>

#include <ctime>
#include <stdexcept>

namespace {

constexpr long long SECOND_NS = 1'000'000'000;
// Long enough for a sanitizer build on a busy machine.
constexpr long long ANSWER_TIMEOUT_NS = 20 * SECOND_NS;

} // namespace

long long monotonicNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * SECOND_NS + now.tv_nsec;
}

X11Client::X11Client()
    : m_display(XOpenDisplay(nullptr))
{
    if (!m_display)
        throw std::runtime_error("cannot open the X display");
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(m_display, &event, &error, &major, &minor))
        throw std::runtime_error("the X server has no XTest");
    m_protocols = XInternAtom(m_display, "WM_PROTOCOLS", False);
    // A window answers a ping by sending it on to the root window.
    XSelectInput(m_display, DefaultRootWindow(m_display), StructureNotifyMask);
}

X11Client::~X11Client()
{
    XCloseDisplay(m_display);
}

Window X11Client::waitForWindow()
{
    // With no window manager, the program's main window is the root's only
    // large viewable child: Qt's own helper windows stay unmapped.
    const long long deadline = monotonicNanoseconds() + ANSWER_TIMEOUT_NS;
    while (monotonicNanoseconds() < deadline) {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        XQueryTree(m_display, DefaultRootWindow(m_display), &root, &parent, &children, &count);
        for (unsigned i = 0; i < count && !m_window; ++i) {
            XWindowAttributes attributes;
            if (XGetWindowAttributes(m_display, children[i], &attributes) && attributes.map_state == IsViewable
                && attributes.width >= 500)
                m_window = children[i];
        }
        XFree(children);
        if (m_window) {
            waitUntilTakenIn();
            return m_window;
        }
        timespec pause{0, 20'000'000};
        nanosleep(&pause, nullptr);
    }
    throw std::runtime_error("no window was shown");
}

void X11Client::moveTo(int x, int y)
{
    XTestFakeMotionEvent(m_display, -1, x, y, CurrentTime);
    XSync(m_display, False);
}

void X11Client::press(unsigned button)
{
    XTestFakeButtonEvent(m_display, button, True, CurrentTime);
    XSync(m_display, False);
}

void X11Client::release(unsigned button)
{
    XTestFakeButtonEvent(m_display, button, False, CurrentTime);
    XSync(m_display, False);
}

void X11Client::click(int x, int y)
{
    moveTo(x, y);
    press(Button1);
    release(Button1);
}

void X11Client::waitUntilTakenIn()
{
    XEvent ping{};
    ping.xclient.type = ClientMessage;
    ping.xclient.window = m_window;
    ping.xclient.message_type = m_protocols;
    ping.xclient.format = 32;
    ping.xclient.data.l[0] = static_cast<long>(XInternAtom(m_display, "_NET_WM_PING", False));
    ping.xclient.data.l[1] = ++m_pings;
    ping.xclient.data.l[2] = static_cast<long>(m_window);
    XSendEvent(m_display, m_window, False, NoEventMask, &ping);
    XFlush(m_display);
    const bool answered = readEventsUntil(
        [&](const XEvent& event) {
            return event.type == ClientMessage && event.xclient.message_type == m_protocols
                && event.xclient.data.l[0] == ping.xclient.data.l[0] && event.xclient.data.l[1] == m_pings;
        },
        ANSWER_TIMEOUT_NS);
    if (!answered)
        throw std::runtime_error("the program stopped answering");
}

void X11Client::closeWindow()
{
    XEvent close{};
    close.xclient.type = ClientMessage;
    close.xclient.window = m_window;
    close.xclient.message_type = m_protocols;
    close.xclient.format = 32;
    close.xclient.data.l[0] = static_cast<long>(XInternAtom(m_display, "WM_DELETE_WINDOW", False));
    close.xclient.data.l[1] = CurrentTime;
    XSendEvent(m_display, m_window, False, NoEventMask, &close);
    XFlush(m_display);
}

bool X11Client::readEventsUntil(const std::function<bool(const XEvent&)>& handle, long long timeoutNs)
{
    const long long deadline = monotonicNanoseconds() + timeoutNs;
    for (;;) {
        while (XPending(m_display)) {
            XEvent event;
            XNextEvent(m_display, &event);
            if (handle(event))
                return true;
        }
        const long long left = deadline - monotonicNanoseconds();
        if (left <= 0)
            return false;
        pollfd connection{ConnectionNumber(m_display), POLLIN, 0};
        poll(&connection, 1, static_cast<int>(left / 1'000'000 + 1));
    }
}
