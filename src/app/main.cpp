#include "app/appinfo.h"
#include "app/startup.h"
#include "app/windowlook.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(AppInfo::ExecutableName);
    QApplication::setApplicationDisplayName(QString());
    QApplication::setDesktopFileName(QStringLiteral("orra-native-american-astrology"));
    // Only a user's close of a working window ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    WindowLook::installFontsAndIcon();

    SingleInstance instance;
    if (!startProgram(instance))
        return 0;
    return QApplication::exec();
}
