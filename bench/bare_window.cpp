// The least a Qt Widgets program does to show a window of the game's size:
// the yardstick for the game's start-up time and memory.
#include "firstframeprobe.h"

#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(1024, 768);
    QLabel label("Zentrik", &window);
    label.move(20, 20);
    FirstFrameProbe probe(&window);
    window.show();
    return QApplication::exec();
}
