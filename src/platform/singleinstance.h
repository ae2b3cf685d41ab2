#pragma once

#include <QString>

// The per-user lock that keeps a second copy from running: a file that is never
// removed, held by the kernel for as long as this process lives (flock on Unix,
// an open handle that shares no writing on Windows). Nothing else is judged.
class SingleInstance
{
    Q_DISABLE_COPY(SingleInstance)
public:
    explicit SingleInstance(const QString &lockPath = defaultLockPath())
        : m_path(lockPath)
    { }
    ~SingleInstance();

    // False only when another process holds the lock. Where none can be taken
    // (no folder, anything but the user's own plain file in its place, a file
    // system that cannot lock), the program runs without one.
    bool acquire();

    // One place per user that only the user can write, whatever the environment
    // says: /run/user/<uid>, else ~/.local/state of the user's account (Unix);
    // the local application data folder (Windows).
    static QString defaultLockPath();

private:
    QString m_path;
    qintptr m_handle = -1; // a descriptor, or a HANDLE on Windows; closed at exit
};
