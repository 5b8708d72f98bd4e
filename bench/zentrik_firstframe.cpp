// The game's start-up as app/main.cpp does it, ending after the first frame.
#include "firstframeprobe.h"
#include "window/gamewindow.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    GameWindow window(std::filesystem::path(ZENTRIK_PICTURE_DIR));
    FirstFrameProbe probe(&window);
    window.show();
    return QApplication::exec();
}
