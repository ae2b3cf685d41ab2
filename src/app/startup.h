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

    // True when this copy is the only one; a lock left by a copy that
    // crashed does not count.
    bool acquire();

    static QString defaultLockPath();

private:
    std::unique_ptr<QLockFile> m_lock;
};

// Names the application and sets what every run of it shares: only a user's
// close of a working window ends it, and the windows' fonts and icon.
void setUpApplication();

// Runs the start-up sequence. False when the program is to end at once.
bool startProgram(SingleInstance &instance);
