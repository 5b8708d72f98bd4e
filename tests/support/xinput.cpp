#include "tests/support/xinput.h"

#include <QStringList>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>

#include <memory>

namespace {

// A property of 32-bit items, which Xlib hands out as longs.
std::vector<unsigned long> cardinals(Display* display, Window window, const char* name)
{
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long left = 0;
    unsigned char* data = nullptr;
    const Atom property = XInternAtom(display, name, False);
    if (XGetWindowProperty(display, window, property, 0, 1 << 24, False, XA_CARDINAL, &type, &format, &count, &left,
                           &data)
            != Success
        || !data)
        return {};
    const std::unique_ptr<unsigned char, int (*)(void*)> owned(data, XFree);
    if (format != 32)
        return {};
    const auto* items = reinterpret_cast<const unsigned long*>(data);
    return {items, items + count};
}

} // namespace

XImagePixels XServer::windowIcon(unsigned long window, QSize size) const
{
    // Images one after the other, each its width, its height and its pixels.
    const std::vector<unsigned long> icon = cardinals(display(), window, "_NET_WM_ICON");
    for (size_t at = 0; at + 2 <= icon.size();) {
        const auto width = static_cast<int>(icon[at]);
        const auto height = static_cast<int>(icon[at + 1]);
        const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
        if (at + 2 + count > icon.size())
            break;
        if (QSize(width, height) == size) {
            XImagePixels image{size, {}, {}};
            for (size_t i = 0; i < count; ++i)
                image.pixels.push_back(static_cast<uint32_t>(icon[at + 2 + i]));
            return image;
        }
        at += 2 + count;
    }
    return {};
}

XImagePixels XServer::cursor() const
{
    XFixesCursorImage* cursor = XFixesGetCursorImage(display());
    if (!cursor)
        return {};
    XImagePixels image{{cursor->width, cursor->height}, {cursor->xhot, cursor->yhot}, {}};
    for (size_t i = 0; i < static_cast<size_t>(cursor->width) * cursor->height; ++i)
        image.pixels.push_back(static_cast<uint32_t>(cursor->pixels[i]));
    XFree(cursor);
    return image;
}

QStringList XServer::windowClass(unsigned long window) const
{
    XClassHint hint{};
    if (!XGetClassHint(display(), window, &hint))
        return {};
    QStringList names{QString::fromLocal8Bit(hint.res_name), QString::fromLocal8Bit(hint.res_class)};
    XFree(hint.res_name);
    XFree(hint.res_class);
    return names;
}

QRect XServer::frame(unsigned long window) const
{
    const std::vector<unsigned long> extents = cardinals(display(), window, "_NET_FRAME_EXTENTS");
    XWindowAttributes attributes{};
    int x = 0;
    int y = 0;
    Window child = 0;
    if (extents.size() != 4 || !XGetWindowAttributes(display(), window, &attributes)
        || !XTranslateCoordinates(display(), window, DefaultRootWindow(display()), 0, 0, &x, &y, &child))
        return {};
    const auto left = static_cast<int>(extents[0]);
    const auto right = static_cast<int>(extents[1]);
    const auto top = static_cast<int>(extents[2]);
    const auto bottom = static_cast<int>(extents[3]);
    return {x - left, y - top, attributes.width + left + right, attributes.height + top + bottom};
}

void XServer::iconify(unsigned long window)
{
    XIconifyWindow(display(), window, DefaultScreen(display()));
    XFlush(display());
}

void XServer::activate(unsigned long window)
{
    // As a pager or a taskbar asks for it.
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display(), "_NET_ACTIVE_WINDOW", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = 2;
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display(), DefaultRootWindow(display()), False, SubstructureRedirectMask | SubstructureNotifyMask,
               &event);
    XFlush(display());
}
