#pragma once

#include <QLockFile>
#include <QString>

#include <optional>

// One running tray application per user: a lock file that the system
// releases when the holder dies, so a crash never blocks the next start.
class SingleInstance
{
public:
    explicit SingleInstance(const QString &lockPath);

    enum class Outcome {
        Acquired,
        HeldElsewhere, // another live process holds it
        Failed,        // the lock file could not be made: see failure()
    };
    Outcome acquire();
    // Why acquire() failed, for the user: which file and the system's reason.
    QString failure() const { return m_failure; }

    // In a folder only this user can enter: the runtime folder when it is
    // private, else "quotix-<uid>" in the temporary folder, made private.
    // Absent, with the reason, when neither can be trusted.
    static std::optional<QString> defaultLockPath(QString *error);

    // A real folder (not a link), owned by this user, closed to everyone else.
    static bool isPrivateFolder(const QString &path);

private:
    QString m_path;
    QLockFile m_lock;
    QString m_failure;
};
