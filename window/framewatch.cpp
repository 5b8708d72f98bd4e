#include "window/framewatch.h"

#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

FrameWatch::FrameWatch(QWidget* window)
    : QObject(window)
    , m_window(window)
{
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 && QGuiApplication::platformName() == "xcb" ? x11->connection() : nullptr;
    if (!connection)
        return;
    const char name[] = "_NET_FRAME_EXTENTS";
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, false, sizeof name - 1, name), nullptr),
        &std::free);
    if (!atom)
        return;
    m_frameExtents = atom->atom;
    qApp->installNativeEventFilter(this);
}

FrameWatch::~FrameWatch()
{
    if (m_frameExtents)
        qApp->removeNativeEventFilter(this);
}

bool FrameWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & ~0x80) != XCB_PROPERTY_NOTIFY)
        return false;
    const auto* property = static_cast<const xcb_property_notify_event_t*>(message);
    if (property->atom == m_frameExtents && property->window == m_window->effectiveWinId())
        QMetaObject::invokeMethod(this, &FrameWatch::frameChanged, Qt::QueuedConnection);
    return false;
}
