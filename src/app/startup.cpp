#include "startup.h"

#include "app/banner.h"
#include "app/navigation.h"
#include "platform/appinfo.h"
#include "platform/lockowner.h"
#include "platform/platform.h"
#include "web/reminder.h"
#include "widgets/windowlook.h"

#include <QApplication>
#include <QFile>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>

#ifdef Q_OS_WIN
#include <iterator>
#include <qt_windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

SingleInstance::SingleInstance(const QString &lockPath)
    : m_lock(std::make_unique<QLockFile>(lockPath))
{
    // A running copy may hold the lock for days; only a dead owner makes it stale.
    m_lock->setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::acquire()
{
    // Another try after a stale lock has been cleared away, and one more in
    // case a copy starting beside this one took the lock in the meantime.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (m_lock->tryLock(0))
            return true;
        // Cannot be made (folder missing or read-only, disk full): run without it.
        if (m_lock->error() != QLockFile::LockFailedError)
            return true;
        if (!LockOwner::isOursToUse(m_lock->fileName()))
            return true; // a folder, a link or another user's file is in the way
        if (LockOwner::heldByLiveCopy(*m_lock))
            return false;
        // Only one copy at a time clears a stale lock, and only while it still is one.
        QLockFile clearing(m_lock->fileName() + QStringLiteral(".rmlock"));
        if (clearing.tryLock(0) || clearing.error() != QLockFile::LockFailedError) {
            if (!LockOwner::heldByLiveCopy(*m_lock))
                m_lock->removeStaleLockFile();
        } else {
            QThread::msleep(50); // another copy is clearing it: see what it leaves
        }
    }
    return true; // stale, yet it would not go: run without it
}

QString SingleInstance::defaultLockPath()
{
    const QString name = AppInfo::ExecutableName + QLatin1Char('-');
#ifdef Q_OS_WIN
    // The shell's answer, not the environment's; the folder is the user's own.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    wchar_t user[256 + 1];
    DWORD size = DWORD(std::size(user));
    const QString who = GetUserNameW(user, &size) && size > 0
        ? QString::fromWCharArray(user, int(size) - 1)
        : QStringLiteral("user");
    return folder + QLatin1Char('/') + name + who + QStringLiteral(".lock");
#else
    const uid_t uid = ::getuid();
    // The session's runtime folder when it is really this user's; else /tmp.
    const QString runtime = QStringLiteral("/run/user/%1").arg(uid);
    struct stat st = {};
    const bool ownRuntime = ::lstat(QFile::encodeName(runtime).constData(), &st) == 0
        && S_ISDIR(st.st_mode) && st.st_uid == uid;
    return (ownRuntime ? runtime : QStringLiteral("/tmp")) + QLatin1Char('/') + name
        + QString::number(uid) + QStringLiteral(".lock");
#endif
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
