#include "window/windowplacement.h"

#include "controls/pixels.h"
#include "window/framewatch.h"

#include <QWidget>
#include <QWindow>

WindowPlacement::WindowPlacement(QWidget* window, const Form& form)
    : QObject(window)
    , m_window(window)
    , m_form(form)
{
    connect(new FrameWatch(window), &FrameWatch::frameChanged, this, &WindowPlacement::fit);
}

void WindowPlacement::fit()
{
    // A window manager may tell the frame late, with no move or resize of its
    // own: the frame watch and activation look again. On Wayland, Qt draws the
    // frame itself and knows it once shown. The platform window's own margins
    // are read: the widget's cached frame is only brought up to date by a move
    // or a resize, which a late frame may not bring.
    QWindow* handle = m_window->windowHandle();
    const QMargins margins = handle ? handle->frameMargins() : QMargins();
    if (margins.left() < 0 || margins.top() < 0 || margins.right() < 0 || margins.bottom() < 0)
        return;
    if (margins != m_frameMargins) {
        m_frameMargins = margins;
        m_placements = 0;
        place();
        return;
    }
    // The frame is known, yet stands elsewhere: a window manager that frames
    // the window while a request is on its way (on a slow machine) may have
    // placed it by an older frame. Ask again, a few times at most, should a
    // window manager insist on a place of its own.
    if (handle && handle->handle() && handle->framePosition() != frameCorner() && m_placements < MAX_PLACEMENTS)
        place();
}

QPoint WindowPlacement::frameCorner() const
{
    return {toPixels(m_form.Left()), toPixels(m_form.Top())};
}

void WindowPlacement::place()
{
    ++m_placements;
    const QMargins frame = m_frameMargins.value_or(QMargins());
    m_window->setFixedSize(QSize(toPixels(m_form.Width()) - frame.left() - frame.right(),
                                 toPixels(m_form.Height()) - frame.top() - frame.bottom()));
    // Once there is a platform window, its client area is placed inside the
    // frame as the platform told it. The widget's cached frame, and Qt's own
    // frame-inclusive placement, may still go by a frame the window manager
    // has changed since, and place the client area at the frame's corner.
    if (QWindow* handle = m_window->windowHandle(); handle && handle->handle())
        handle->setPosition(frameCorner() + QPoint(frame.left(), frame.top()));
    else
        m_window->move(frameCorner());
}
