#pragma once

#include "tests/support/x11client.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>
#include <vector>

// An image the X server holds: ARGB pixels, row by row.
struct XImagePixels {
    QSize size;
    QPoint hotSpot;
    std::vector<uint32_t> pixels;
};

// The X server the tests run on, through a client of its own: besides real
// input, what the server holds of a window, in Qt's types.
class XServer : public X11Client {
public:
    using X11Client::moveTo;
    void moveTo(QPoint screen) { moveTo(screen.x(), screen.y()); }

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
};
