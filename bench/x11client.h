#pragma once

#include <X11/Xlib.h>

#include <functional>

/** Nanoseconds on CLOCK_MONOTONIC. */
long long monotonicNanoseconds();

// A client of the bench's private X server that plays a program's window with
// XTest, as a player's pointer and buttons would, and waits for the program
// to take in what it was sent. Throws std::runtime_error when the server lacks
// an extension or the program stops answering.
class X11Client {
public:
    X11Client();
    ~X11Client();
    X11Client(const X11Client&) = delete;
    X11Client& operator=(const X11Client&) = delete;

    Display* display() const { return m_display; }

    /** Waits for the program's main window to be shown and returns it. */
    Window waitForWindow();

    void moveTo(int x, int y);
    void press(unsigned button);
    void release(unsigned button);
    void click(int x, int y);

    /** Returns once the program has read every event sent before: a _NET_WM_PING round trip. */
    void waitUntilTakenIn();

    /** Asks the window to close, as a window manager's close button does. */
    void closeWindow();

    /** Reads events until `handle` returns true; false when `timeoutNs` passes first. */
    bool readEventsUntil(const std::function<bool(const XEvent&)>& handle, long long timeoutNs);

private:
    Display* m_display = nullptr;
    Window m_window = 0;
    Atom m_protocols = 0;
    long m_pings = 0;
};
