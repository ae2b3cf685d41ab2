#pragma once

#include <QString>

#include <memory>

class QLockFile;

// Holds the per-user lock that keeps a second copy from running.
class SingleInstance
{
public:
    explicit SingleInstance(const QString &lockPath = defaultLockPath());
    ~SingleInstance();

    // False only when another live copy of this program holds the lock. A
    // stale lock (empty, garbage, left by a copy that was killed) is taken
    // over; where no lock can be made at all, the program runs without one.
    bool acquire();

    // One place per user, whatever the environment says: named by the real
    // user id in /run/user/<uid> (or /tmp) on Unix, and in the user's local
    // application data folder on Windows.
    static QString defaultLockPath();

private:
    std::unique_ptr<QLockFile> m_lock;
};

// Names the application and sets what every run of it shares: only a user's
// close of a working window ends it, and the windows' fonts and icon.
void setUpApplication();

// Runs the start-up sequence. False when the program is to end at once.
bool startProgram(SingleInstance &instance);
