// Qt 6.4's Wayland client alone, with nothing of the game: a window that
// keeps a frame in flight and hides on a timer. QWaylandWindow::reset(), on
// the GUI thread, destroys the pending frame callback while Qt's frame-queue
// thread may be destroying the same wl_callback in its listener, and
// libwayland-client aborts in wl_proxy_unref. Left alone it aborts now and
// then; race.gdb forces the interleaving, and it aborts every time:
//
//   cmake -S tools/wayland-frame-race -B /tmp/race && cmake --build /tmp/race
//   export QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY=...   (a weston's socket)
//   gdb -batch -x tools/wayland-frame-race/race.gdb /tmp/race/framecallbackrace
//
// It is not built with the game: the game's tests keep away from the race
// (tests/support/windowdriver.cpp) and docs/testing.md says how.
#include <QGuiApplication>
#include <QPainter>
#include <QRasterWindow>
#include <QTimer>

class Window : public QRasterWindow {
protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter(this).fillRect(QRect(QPoint(), size()), (++m_frames % 2) ? Qt::red : Qt::blue);
        requestUpdate(); // keep a frame callback pending at all times
    }
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::UpdateRequest) {
            update();
            return true;
        }
        return QRasterWindow::event(e);
    }
    int m_frames = 0;
};

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const int cycles = argc > 1 ? atoi(argv[1]) : 1;
    const int hideAfterMs = argc > 2 ? atoi(argv[2]) : 500;
    Window window;
    window.resize(200, 200);
    int left = cycles;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (window.isVisible()) {
            window.hide(); // QWaylandWindow::reset()
            if (--left == 0)
                QTimer::singleShot(50, &app, &QCoreApplication::quit);
        } else {
            window.show();
        }
    });
    window.show();
    timer.start(hideAfterMs);
    const int rc = app.exec();
    fprintf(stderr, "%d hide cycles done\n", cycles);
    return rc;
}
