#include "window/application.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <optional>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

// The window suites run on Qt's offscreen platform unless told otherwise.
// CTest runs them again on display servers it starts for them: then
// ZENTRIK_TEST_DISPLAY names the file (from tools/display-server) with the
// variables that reach the server.
int main(int argc, char* argv[])
{
    const QString displayFile = qEnvironmentVariable("ZENTRIK_TEST_DISPLAY");
    if (!displayFile.isEmpty()) {
        QFile file(displayFile);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
            std::fprintf(stderr, "cannot read %s: the display server was not started\n", qPrintable(displayFile));
            return 1;
        }
        while (!file.atEnd()) {
            const QByteArray line = file.readLine().trimmed();
            const qsizetype equals = line.indexOf('=');
            if (!line.startsWith('#') && equals > 0)
                qputenv(line.left(equals).constData(), line.mid(equals + 1));
        }
    }
    // Qt wants a private runtime folder: where the session gives none, the
    // suite makes its own and removes it at its end, so none stays in /tmp.
    std::optional<QTemporaryDir> runtime;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        runtime.emplace();
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime->path()));
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef ZENTRIK_TEST_SCALE_FACTOR
    qputenv("QT_SCALE_FACTOR", ZENTRIK_TEST_SCALE_FACTOR);
#endif
    setDesktopIdentity();
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    // Qt's Wayland client can deadlock as it stops its event thread at the
    // end, after simulated touch (two runs in a hundred of the touch suite
    // here): on Wayland the suites end before that, leaks looked for first.
    if (QGuiApplication::platformName() == "wayland") {
#if defined(__SANITIZE_ADDRESS__)
        __lsan_do_leak_check();
#endif
        std::fflush(nullptr);
        std::_Exit(result);
    }
    return result;
}
