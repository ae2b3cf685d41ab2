#include "startup.h"

#include "app/banner.h"
#include "app/navigation.h"
#include "platform/appinfo.h"
#include "platform/platform.h"
#include "web/reminder.h"
#include "widgets/windowlook.h"

#include <QApplication>
#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

SingleInstance::SingleInstance(const QString &lockPath)
    : m_lock(std::make_unique<QLockFile>(lockPath))
{
    // A running copy may hold the lock for days; only a dead owner makes it stale.
    m_lock->setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::acquire()
{
    return m_lock->tryLock(0);
}

QString SingleInstance::defaultLockPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    QString user = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME"));
    return folder + QLatin1Char('/') + AppInfo::ExecutableName
        + (user.isEmpty() ? QString() : QLatin1Char('-') + user) + QStringLiteral(".lock");
}

void setUpApplication()
{
    QApplication::setApplicationName(AppInfo::ExecutableName);
    QApplication::setApplicationDisplayName(QString());
    QApplication::setDesktopFileName(QStringLiteral("orra-native-american-astrology"));
    // Only a user's close of a working window ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    WindowLook::installFontsAndIcon();
}

bool startProgram(SingleInstance &instance)
{
    if (!instance.acquire()) {
        platform().message(nullptr, QMessageBox::Information,
                           QStringLiteral("Application is already running"));
        Navigation::EndProgram();
        return false;
    }
    platform().seedRandomFromClock();
    RunUpdateReminder();
    frmMain *main = Navigation::showMain();
    CoBrand_Randomize(main);
    return true;
}
