// The game's start-up as app/main.cpp does it, ending after the first frame.
#include "firstframeprobe.h"
#include "window/application.h"
#include "window/gamewindow.h"

int main(int argc, char* argv[])
{
    const std::unique_ptr<QApplication> app = openDisplay(argc, argv);
    if (!app)
        return 1;
    GameWindow window(std::filesystem::path(ZENTRIK_PICTURE_DIR));
    FirstFrameProbe probe(&window);
    window.show();
    return QApplication::exec();
}
