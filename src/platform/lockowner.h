#pragma once

#include <QString>

class QLockFile;

// Who holds a lock file, decided from what it says rather than from its age:
// a copy of this program may hold its lock for days, and a lock left by a
// copy that was killed, or one that is garbage, must not keep anyone out.
namespace LockOwner {

// The machine's name as QLockFile writes it into a lock.
QString machineName();

// True when pid is another running process of this program's executable.
bool isOtherCopyOfThisProgram(qint64 pid);

// True when the lock names another running copy of this program on this
// machine. False (stale) when it cannot be read, names another machine,
// this very process, a process that has ended, or another program.
bool heldByLiveCopy(const QLockFile &lock);

// A place a lock may be taken at: nothing there yet, or a plain file that
// belongs to this user. A folder, a link or another user's file is not ours
// to take over, nor to obey.
bool isOursToUse(const QString &path);

} // namespace LockOwner
