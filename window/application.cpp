#include "window/application.h"

#include <QByteArray>

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstdio>
#include <future>
#include <unistd.h>
#include <utility>

namespace {

// Qt's platforms that draw without a display server.
const QByteArrayList PLATFORMS_WITHOUT_DISPLAY{
    "offscreen", "minimal", "minimalegl", "vnc", "linuxfb", "eglfs", "vkkhrdisplay",
};

void reportNoDisplay(const QByteArray& detail)
{
    std::fprintf(stderr,
                 "zentrik: no graphical display found%s; start Zentrik from a desktop session, or set DISPLAY "
                 "(X11) or WAYLAND_DISPLAY (Wayland) / グラフィカルなディスプレイが見つかりません。"
                 "デスクトップから起動するか、DISPLAY か WAYLAND_DISPLAY を設定してください。\n",
                 detail.constData());
    std::fflush(stderr);
}

// The platforms QT_QPA_PLATFORM asks for, in Qt's order, without their options.
QByteArrayList requestedPlatforms()
{
    QByteArrayList names;
    for (const QByteArray& entry : qgetenv("QT_QPA_PLATFORM").split(';')) {
        // Qt 6's left() of a negative length is empty, not the whole entry.
        const QByteArray name = entry.split(':').constFirst().trimmed();
        if (!name.isEmpty())
            names << name;
    }
    return names;
}

QtMessageHandler previousHandler = nullptr;
// What Qt says while the application is made: shown once it is made, and
// dropped when it cannot be, for then the one line says it better.
struct HeldMessage {
    QtMsgType type;
    QByteArray category;
    QString text;
};
QList<HeldMessage> heldMessages;

std::future<void> fontConfiguration;

void holdMessages(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type != QtFatalMsg) {
        heldMessages.append({type, context.category, message});
        return;
    }
    if (!message.contains("platform plugin")) {
        previousHandler(type, context, message);
        return;
    }
    const QByteArray display = qgetenv("DISPLAY");
    const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");
    QByteArrayList names;
    if (!display.isEmpty())
        names << "DISPLAY=" + display;
    if (!wayland.isEmpty())
        names << "WAYLAND_DISPLAY=" + wayland;
    reportNoDisplay(" (" + names.join(", ") + " cannot be reached)");
    // Nothing of the half-made application is worth tearing down.
    _exit(1);
}

} // namespace

void startReadingFontConfiguration()
{
    // Qt reads it at its first font look-up with the same call, which then
    // finds it read; it must not come while this one runs, or both would read.
    fontConfiguration = std::async(std::launch::async, [] { FcInit(); });
}

void awaitFontConfiguration()
{
    if (fontConfiguration.valid())
        fontConfiguration.get();
}

void setDesktopIdentity()
{
    // Qt on X11 puts the application name in WM_CLASS, which the desktop
    // entry's StartupWMClass names.
    QApplication::setApplicationName("Zentrik");
    QGuiApplication::setDesktopFileName(DESKTOP_ID);
}

std::unique_ptr<QApplication> openDisplay(int& argc, char** argv)
{
    const QByteArrayList platforms = requestedPlatforms();
    const bool needsNoDisplay = std::any_of(platforms.begin(), platforms.end(), [](const QByteArray& name) {
        return PLATFORMS_WITHOUT_DISPLAY.contains(name);
    });
    const bool x11 = !qEnvironmentVariableIsEmpty("DISPLAY");
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (!needsNoDisplay && !x11 && !wayland) {
        reportNoDisplay("");
        return nullptr;
    }
    // Qt tries X11 first unless the session says Wayland; where Wayland is all
    // there is, take it.
    if (platforms.isEmpty() && wayland && !x11)
        qputenv("QT_QPA_PLATFORM", "wayland");

    startReadingFontConfiguration();
    setDesktopIdentity();
    previousHandler = qInstallMessageHandler(holdMessages);
    auto app = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(previousHandler);
    for (const HeldMessage& held : std::exchange(heldMessages, {})) {
        const QMessageLogContext context(nullptr, 0, nullptr, held.category.constData());
        previousHandler(held.type, context, held.text);
    }
    return app;
}
