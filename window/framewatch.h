#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <cstdint>

class QWidget;

// Tells when an X11 window manager sets or changes the frame it draws around
// a window (_NET_FRAME_EXTENTS). Qt takes note of that without an event of its
// own, and the window may see no move, resize or activation after it. On other
// platforms it stays silent.
class FrameWatch : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT

public:
    explicit FrameWatch(QWidget* window);
    ~FrameWatch() override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

signals:
    // Queued, so that Qt has read the new frame when it arrives.
    void frameChanged();

private:
    QWidget* m_window;
    uint32_t m_frameExtents = 0;
};
