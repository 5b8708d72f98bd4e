#include "app/commandline.h"
#include "rules/messages.h"
#include "window/application.h"
#include "window/gamewindow.h"
#include "window/picturefolder.h"

#include <QMessageBox>

int main(int argc, char* argv[])
{
    if (const std::optional<int> status = answerWithoutDisplay(argc, argv))
        return *status;
    const std::unique_ptr<QApplication> app = openDisplay(argc, argv);
    if (!app)
        return 1;
    if (const std::optional<int> status = rejectUnknownArguments(argc, argv))
        return *status;
    try {
        GameWindow window(findPictureFolder(QCoreApplication::applicationDirPath().toStdString()));
        window.show();
        return QApplication::exec();
    } catch (const std::exception& error) {
        QMessageBox::critical(nullptr, "Zentrik", QString::fromStdString(startFailureMessage(error)));
        return 1;
    }
}
