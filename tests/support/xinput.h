#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>
#include <vector>

struct _XDisplay;

// An image the X server holds: ARGB pixels, row by row.
struct XImagePixels {
    QSize size;
    QPoint hotSpot;
    std::vector<uint32_t> pixels;
};

// A connection of its own to the X server the tests run on: it reads back
// what the server holds of a window and sends real input through XTest, as
// a player's mouse does.
class XServer {
public:
    XServer();
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    // The image of the given size in the window's _NET_WM_ICON; empty if none.
    XImagePixels windowIcon(unsigned long window, QSize size) const;
    // The pointer's image where the pointer is now.
    XImagePixels cursor() const;
    // WM_CLASS: the instance name and the class name.
    QStringList windowClass(unsigned long window) const;
    // The outer frame the window manager put around the window, on the
    // screen; an empty rectangle until it tells its extents.
    QRect frame(unsigned long window) const;

    // Asks the window manager to minimise the window, or to bring it back.
    void iconify(unsigned long window);
    void activate(unsigned long window);

    void moveTo(QPoint screen);
    void press(unsigned button = 1);
    void release(unsigned button = 1);

private:
    _XDisplay* m_display;
};
