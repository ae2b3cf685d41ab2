#include "lockowner.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSysInfo>
#include <QThread>

#ifdef Q_OS_WIN
#include <iterator>
#include <qt_windows.h>
#else
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
#ifdef Q_OS_WIN
QString imageName(HANDLE process)
{
    wchar_t buffer[MAX_PATH * 2];
    DWORD size = DWORD(std::size(buffer));
    if (!QueryFullProcessImageNameW(process, 0, buffer, &size))
        return {};
    return QFileInfo(QString::fromWCharArray(buffer, int(size))).fileName();
}
#else
// The file name of the executable a process runs, or empty when not known.
QString executableOf(const QString &proc)
{
    QString target = QFile::symLinkTarget(proc + QStringLiteral("/exe"));
    // A program rebuilt or reinstalled while running shows its old file as deleted.
    const QLatin1String deleted(" (deleted)");
    if (target.endsWith(deleted))
        target.chop(deleted.size());
    return QFileInfo(target).fileName();
}
#endif

// Whether a process has the lock file open as its holder: QLockFile keeps it
// open and locked (Unix) or not shareable for deletion (Windows) while held.
bool isHeldOpen(const QString &path)
{
#ifdef Q_OS_WIN
    HANDLE file = CreateFileW(reinterpret_cast<const wchar_t *>(path.utf16()), DELETE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_SHARING_VIOLATION;
    CloseHandle(file);
    return false;
#else
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return false;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd); // gives back the lock if it was taken here
    return held;
#endif
}
} // namespace

QString LockOwner::machineName()
{
#ifdef Q_OS_WIN
    // QLockFile names the machine by COMPUTERNAME there, which can differ from
    // the host name in case ("VM" and "vm" under Wine).
    if (const QString name = qEnvironmentVariable("COMPUTERNAME"); !name.isEmpty())
        return name;
#endif
    return QSysInfo::machineHostName();
}

bool LockOwner::isOtherCopyOfThisProgram(qint64 pid)
{
    if (pid <= 0 || pid == QCoreApplication::applicationPid())
        return false;
#ifdef Q_OS_WIN
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    if (!process)
        return false; // ended, or another user's: not a copy of ours in our folder
    DWORD code = 0;
    const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    const QString theirs = running ? imageName(process) : QString();
    CloseHandle(process);
    HANDLE self = GetCurrentProcess();
    return running && !theirs.isEmpty()
        && theirs.compare(imageName(self), Qt::CaseInsensitive) == 0;
#else
    if (pid != qint64(pid_t(pid)) || (::kill(pid_t(pid), 0) != 0 && errno == ESRCH))
        return false;
    const QString proc = QStringLiteral("/proc/%1").arg(pid);
    // Without /proc there is no telling what runs there: it runs, so count it.
    if (!QFileInfo::exists(proc))
        return !QFileInfo::exists(QStringLiteral("/proc/self"));
    const QString ours = executableOf(QStringLiteral("/proc/self"));
    const QString theirs = executableOf(proc);
    if (!theirs.isEmpty() && !ours.isEmpty())
        return theirs == ours;
    // Another user's process hides its executable; its short name is still there.
    QFile comm(proc + QStringLiteral("/comm"));
    if (ours.isEmpty() || !comm.open(QIODevice::ReadOnly))
        return false;
    return QString::fromLocal8Bit(comm.readAll()).trimmed() == ours.left(15);
#endif
}

bool LockOwner::heldByLiveCopy(const QLockFile &lock)
{
    qint64 pid = 0;
    QString host;
    QString app;
    // A copy that is starting this very moment has made the file but not yet
    // written it: look again shortly before calling it empty.
    bool readable = lock.getLockInfo(&pid, &host, &app);
    for (int attempt = 0; !readable && attempt < 3; ++attempt) {
        QThread::msleep(20);
        readable = lock.getLockInfo(&pid, &host, &app);
    }
    // Still nothing to read: a copy kept from writing it (a busy machine)
    // still holds it open; a lock left by a copy that was killed is not held.
    if (!readable)
        return isHeldOpen(lock.fileName());
    if (!host.isEmpty() && host.compare(machineName(), Qt::CaseInsensitive) != 0)
        return false;
    return isOtherCopyOfThisProgram(pid);
}

bool LockOwner::isOursToUse(const QString &path)
{
#ifdef Q_OS_WIN
    const QFileInfo info(path);
    if (info.isSymLink())
        return false;
    return !info.exists() || info.isFile();
#else
    struct stat st = {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return errno == ENOENT;
    return S_ISREG(st.st_mode) && st.st_uid == ::getuid();
#endif
}
