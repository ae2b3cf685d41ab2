#include "singleinstance.h"

#include "appinfo.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>

#include <optional>

#ifdef Q_OS_WIN
#include <iterator>
#include <qt_windows.h>
#else
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
// What QLockFile writes is five short lines.
constexpr qint64 LockMaxBytes = 4096;
// A lock made this recently may not be locked yet: QLockFile makes the file first.
constexpr qint64 SettleMs = 1000;

// One look at the lock: nothing while it is too young to judge.
std::optional<HeldLock::State> clearOnce(const QString &path)
{
    using State = HeldLock::State;
#ifdef Q_OS_WIN
    // A held lock is open without sharing deletion: it cannot go.
    if (DeleteFileW(reinterpret_cast<const wchar_t *>(path.utf16()))
        || GetLastError() == ERROR_FILE_NOT_FOUND)
        return State::Gone;
    return GetLastError() == ERROR_SHARING_VIOLATION ? State::Held : State::Unknown;
#else
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? State::Gone : State::Unknown;
    std::optional<State> seen = State::Unknown;
    struct stat st = {};
    struct stat named = {};
    // Not even tried while young: a try at the moment its maker locks it would
    // make that lock fail, which QLockFile only warns about.
    if (::fstat(fd, &st) != 0)
        seen = State::Unknown;
    else if (qAbs(QDateTime::currentMSecsSinceEpoch() - qint64(st.st_mtim.tv_sec) * 1000
                  - st.st_mtim.tv_nsec / 1000000)
             < SettleMs)
        seen = std::nullopt;
    else if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        seen = errno == EWOULDBLOCK ? State::Held : State::Unknown;
    else {
        // Removed only under the lock QLockFile itself clears stale locks under,
        // and only while the name still names the file looked at: another copy
        // may have cleared it and made its own since.
        QLockFile remover(path + QStringLiteral(".rmlock"));
        if (!remover.tryLock(0))
            seen = std::nullopt; // another copy is clearing it: look again
        else if (::stat(name.constData(), &named) != 0)
            seen = errno == ENOENT ? State::Gone : State::Unknown;
        else if (named.st_ino != st.st_ino || named.st_dev != st.st_dev)
            seen = std::nullopt; // a new lock: look at that one
        else if (::unlink(name.constData()) == 0 || errno == ENOENT)
            seen = State::Gone;
    }
    ::close(fd); // gives back the lock taken here
    return seen;
#endif
}

// Where a folder cannot lock, a lock naming another live process counts as held.
bool namesLiveProcess(const QLockFile &lock)
{
#ifdef Q_OS_WIN
    Q_UNUSED(lock);
    return false;
#else
    qint64 pid = 0;
    return lock.getLockInfo(&pid, nullptr, nullptr) && pid != QCoreApplication::applicationPid()
        && pid == qint64(pid_t(pid)) && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
#endif
}
} // namespace

bool HeldLock::isOwnSmallFileOrNothing(const QString &path, qint64 maxBytes)
{
    const QFileInfo info(path); // through a link, to what it names
    if (!info.exists())
        return !info.isSymLink(); // a link to nowhere: not ours to write through
#ifdef Q_OS_UNIX
    if (info.ownerId() != ::getuid())
        return false;
#endif
    return info.isFile() && info.size() <= maxBytes;
}

HeldLock::State HeldLock::clearIfStale(const QString &path)
{
    const QDeadlineTimer patience(2 * SettleMs);
    std::optional<State> seen;
    while (!(seen = clearOnce(path)) && !patience.hasExpired())
        QThread::msleep(20);
    return seen.value_or(State::Unknown);
}

SingleInstance::SingleInstance(const QString &lockPath)
    : m_lock(std::make_unique<QLockFile>(lockPath))
{
    // A running copy may hold the lock for days; only whether it is held counts.
    m_lock->setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::acquire()
{
    const QString path = m_lock->fileName();
    // Again after a stale lock is cleared, and once more in case a copy starting
    // beside this one took the lock in the meantime.
    for (int attempt = 0; attempt < 3; ++attempt) {
        // QLockFile reads a lock it finds, and the one beside it it clears stale ones with.
        if (!HeldLock::isOwnSmallFileOrNothing(path, LockMaxBytes)
            || !HeldLock::isOwnSmallFileOrNothing(path + QStringLiteral(".rmlock"), LockMaxBytes))
            return true;
        if (m_lock->tryLock(0))
            return true;
        // Cannot be made (folder missing or read-only, disk full): run without it.
        if (m_lock->error() != QLockFile::LockFailedError)
            return true;
        const HeldLock::State state = HeldLock::clearIfStale(path);
        if (state == HeldLock::State::Held)
            return false;
        if (state == HeldLock::State::Unknown)
            return !namesLiveProcess(*m_lock);
    }
    return true; // never held, yet it would not go: run without it
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
