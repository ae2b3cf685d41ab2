#include "startup.h"

#include "app/banner.h"
#include "app/navigation.h"
#include "platform/appinfo.h"
#include "platform/platform.h"
#include "web/reminder.h"
#include "widgets/layoutfonts.h"
#include "widgets/programicon.h"

#include <QApplication>

void setUpApplication()
{
    QApplication::setApplicationName(AppInfo::ExecutableName);
    QApplication::setApplicationDisplayName(QString());
    QApplication::setDesktopFileName(QStringLiteral("orra-native-american-astrology"));
    // Only a user's close of a working window ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    LayoutFonts::install();
    ProgramIcon::install();
}

bool startProgram(SingleInstance &instance)
{
    if (!instance.acquire()) {
        platform().message(nullptr, QMessageBox::Information,
                           QStringLiteral("Application is already running"));
        return false;
    }
    platform().seedRandomFromClock();
    RunUpdateReminder();
    frmMain *main = Navigation::showMain();
    CoBrand_Randomize(main);
    return true;
}
