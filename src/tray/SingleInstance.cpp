#include "tray/SingleInstance.h"

#include <QDir>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

SingleInstance::SingleInstance(const QString &lockPath)
    : m_lock(lockPath)
{
    // Staleness by age would let a second copy in beside a long-running first.
    m_lock.setStaleLockTime(0);
}

bool SingleInstance::acquire()
{
    // tryLock(0) still removes a lock whose holder has died.
    return m_lock.tryLock(0);
}

QString SingleInstance::defaultLockPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder + u"/quotix.lock"_s;
}
