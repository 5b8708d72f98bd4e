#include "window/gamewindow.h"
#include "window/picturefolder.h"

#include <QApplication>
#include <QMessageBox>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    try {
        GameWindow window(findPictureFolder(QCoreApplication::applicationDirPath().toStdString()));
        window.show();
        return QApplication::exec();
    } catch (const std::exception& error) {
        QMessageBox::critical(nullptr, "Zentrik", QString("Zentrik cannot start: %1").arg(error.what()));
        return 1;
    }
}
