#include "window/application.h"

#include <QApplication>
#include <QFile>

#include <gtest/gtest.h>

#include <cstdio>

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
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef ZENTRIK_TEST_SCALE_FACTOR
    qputenv("QT_SCALE_FACTOR", ZENTRIK_TEST_SCALE_FACTOR);
#endif
    setDesktopIdentity();
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
