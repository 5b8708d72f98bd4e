#include "application.h"
#include "gamewindow.h"
#include "picturefolder.h"

#include <QMessageBox>

int main(int argc, char* argv[])
{
    const std::unique_ptr<QApplication> app = openDisplay(argc, argv);
    if (!app)
        return 1;
    try {
        GameWindow window(findPictureFolder());
        window.show();
        return QApplication::exec();
    } catch (const std::exception& error) {
        QMessageBox::critical(nullptr, "Zentrik", QString("Zentrik cannot start: %1").arg(error.what()));
        return 1;
    }
}
