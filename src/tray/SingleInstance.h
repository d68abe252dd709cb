#pragma once

#include <QLockFile>
#include <QString>

// One running tray application per user: a lock file that the system
// releases when the holder dies, so a crash never blocks the next start.
class SingleInstance
{
public:
    explicit SingleInstance(const QString &lockPath);

    // False when another live process holds the lock.
    bool acquire();

    // In the user's runtime folder (XDG_RUNTIME_DIR), else the temporary folder.
    static QString defaultLockPath();

private:
    QLockFile m_lock;
};
