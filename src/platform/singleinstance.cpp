#include "singleinstance.h"

#include "appinfo.h"

#include <QDir>
#include <QFile>

#ifdef Q_OS_WIN
#include <QStandardPaths>
#include <iterator>
#include <qt_windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

SingleInstance::~SingleInstance()
{
    // The file stays: removed by name, it could be the next copy's lock.
    if (m_handle == -1)
        return;
#ifdef Q_OS_WIN
    CloseHandle(reinterpret_cast<HANDLE>(m_handle));
#else
    ::close(int(m_handle));
#endif
}

bool SingleInstance::acquire()
{
#ifdef Q_OS_WIN
    // Not inheritable: a program started from this one does not hold it.
    const HANDLE file
        = CreateFileW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(m_path).utf16()),
                      GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                      FILE_ATTRIBUTE_NORMAL, nullptr);
    m_handle = reinterpret_cast<qintptr>(file);
    return file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION;
#else
    // Never through a link, never waiting on a FIFO, never inherited by a
    // program this one starts.
    const int fd = ::open(QFile::encodeName(m_path).constData(),
                          O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    m_handle = fd;
    struct stat st = {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::getuid())
        return true;
    int locked;
    while ((locked = ::flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) { }
    if (locked != 0)
        return errno != EWOULDBLOCK; // a file system that cannot lock refuses no one
    // Runtime-folder cleaners leave a sticky file alone.
    ::fchmod(fd, S_ISVTX | S_IRUSR | S_IWUSR);
    return true;
#endif
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
    // The session's runtime folder when it is this user's alone; else a folder in
    // the account's home, never a name in /tmp that another user could take first.
    QString folder = QStringLiteral("/run/user/%1").arg(uid);
    struct stat st = {};
    if (::lstat(QFile::encodeName(folder).constData(), &st) != 0 || !S_ISDIR(st.st_mode)
        || st.st_uid != uid || (st.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        const passwd *account = ::getpwuid(uid);
        folder = (account ? QFile::decodeName(account->pw_dir) : QString())
            + QStringLiteral("/.local/state");
        QDir().mkpath(folder);
    }
    return folder + QLatin1Char('/') + name + QString::number(uid) + QStringLiteral(".lock");
#endif
}
