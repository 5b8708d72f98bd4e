#pragma once

#include <functional>

// Xlib's display and event, as Xlib names them, so that the header brings
// none of Xlib's macros, which clash with Qt's names.
struct _XDisplay;
union _XEvent;

/** Nanoseconds on CLOCK_MONOTONIC. */
long long monotonicNanoseconds();

// A connection of its own to the X server the tests or the bench run on: it
// plays a program's window with XTest, as a player's pointer and buttons
// would, and waits for the program to take in what it was sent. Throws
// std::runtime_error when the server lacks XTest or the program stops
// answering.
class X11Client {
public:
    X11Client();
    ~X11Client();
    X11Client(const X11Client&) = delete;
    X11Client& operator=(const X11Client&) = delete;

    _XDisplay* display() const { return m_display; }

    /** Waits for the program's main window to be shown and returns it. */
    unsigned long waitForWindow();

    // Each returns once the server has taken the event in.
    void moveTo(int x, int y);
    void press(unsigned button = 1);
    void release(unsigned button = 1);
    void click(int x, int y);

    /** Returns once the program has read every event sent before: a _NET_WM_PING round trip. */
    void waitUntilTakenIn();

    /** Asks the window to close, as a window manager's close button does. */
    void closeWindow();

    /** Reads events until `handle` returns true; false when `timeoutNs` passes first. */
    bool readEventsUntil(const std::function<bool(const _XEvent&)>& handle, long long timeoutNs);

private:
    _XDisplay* m_display = nullptr;
    unsigned long m_window = 0;
    unsigned long m_protocols = 0;
    long m_pings = 0;
};
