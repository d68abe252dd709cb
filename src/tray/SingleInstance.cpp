#include "tray/SingleInstance.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

SingleInstance::SingleInstance(const QString &lockPath)
    : m_path(lockPath)
    , m_lock(lockPath)
{
    // Staleness by age would let a second copy in beside a long-running first.
    m_lock.setStaleLockTime(0);
}

SingleInstance::Outcome SingleInstance::acquire()
{
    // tryLock(0) still removes a lock whose holder has died.
    errno = 0;
    if (m_lock.tryLock(0))
        return Outcome::Acquired;
    if (m_lock.error() == QLockFile::LockFailedError)
        return Outcome::HeldElsewhere;
    // A full or read-only folder is no other instance: say what failed. QLockFile
    // keeps no reason of its own, but the failed call left it in errno.
    const int error = errno;
    const QString reason
        = error != 0 ? QString::fromLocal8Bit(std::strerror(error)) : u"the lock could not be written"_s;
    m_failure = u"quotix: cannot create the lock file \"%1\": %2"_s.arg(m_path, reason);
    return Outcome::Failed;
}

bool SingleInstance::isPrivateFolder(const QString &path)
{
    struct stat info;
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
}

std::optional<QString> SingleInstance::defaultLockPath(QString *error)
{
    const QString lockName = u"quotix.lock"_s;
    // A shared name in /tmp could be created first by another user, who
    // would then hold our lock or see into it.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && isPrivateFolder(runtime))
        return QDir(runtime).filePath(lockName);

    const QString folder = QDir(QDir::tempPath()).filePath(u"quotix-%1"_s.arg(::geteuid()));
    if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0 && errno != EEXIST) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        *error = u"quotix: cannot create the lock folder \"%1\": %2"_s.arg(folder, reason);
        return std::nullopt;
    }
    if (!isPrivateFolder(folder)) {
        *error = u"quotix: the lock folder \"%1\" is not private (a link, another user's, or open to others).\n"
                 "Remove it, or set XDG_RUNTIME_DIR to a folder of mode 0700, and start Quotix again."_s.arg(folder);
        return std::nullopt;
    }
    return QDir(folder).filePath(lockName);
}
