#pragma once

#include <QString>

#include <memory>

class QLockFile;

// A lock file is judged only by whether a live process holds it open (flock on
// Unix, an open handle that forbids deletion on Windows, as QLockFile holds it),
// never by what it says: a running copy may since have been renamed, replaced
// on disk or moved to another host name.
namespace HeldLock {

// Nothing at path, or a plain file of this user's of at most maxBytes: all the
// program opens there. A FIFO, a device or a huge file could make it wait or
// read without end.
bool isOwnSmallFileOrNothing(const QString &path, qint64 maxBytes);

enum class State { Gone, Held, Unknown };
// Removes the lock at path unless a process holds it (Held). One made less than
// a second ago may not be locked by its maker yet: it is judged once a second
// old. Unknown: no telling, as in a folder that cannot lock.
State clearIfStale(const QString &path);

} // namespace HeldLock

// The per-user lock that keeps a second copy from running.
class SingleInstance
{
public:
    explicit SingleInstance(const QString &lockPath = defaultLockPath());
    ~SingleInstance();

    // False only when another process holds the lock. Where no lock can be made,
    // or anything but the user's own small file is in its place, the program
    // runs without one.
    bool acquire();

    // One place per user that only the user can write, whatever the environment
    // says: /run/user/<uid>, else ~/.local/state of the user's account (Unix);
    // the local application data folder (Windows).
    static QString defaultLockPath();

private:
    std::unique_ptr<QLockFile> m_lock;
};
