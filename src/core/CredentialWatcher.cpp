#include "core/CredentialWatcher.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <utility>

namespace {

// The folder to watch for a file: its own, or the closest one that exists.
QString nearestExistingFolder(const QString &file)
{
    QDir folder = QFileInfo(file).absoluteDir();
    while (!folder.exists()) {
        if (!folder.cdUp())
            return {};
    }
    return folder.absolutePath();
}

} // namespace

CredentialWatcher::CredentialWatcher(QStringList files, std::chrono::milliseconds debounce, QObject *parent)
    : QObject(parent)
    , m_files(std::move(files))
{
    for (const QString &file : std::as_const(m_files))
        m_looks.append(look(file));
    m_debounce.setSingleShot(true);
    m_debounce.setInterval(debounce);
    connect(&m_debounce, &QTimer::timeout, this, &CredentialWatcher::settle);
    const auto restart = [this] { m_debounce.start(); };
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, restart);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, restart);
    watch();
}

CredentialWatcher::Look CredentialWatcher::look(const QString &file)
{
    const QFileInfo info(file);
    if (!info.exists())
        return {};
    return {true, info.size(), info.lastModified(), info.metadataChangeTime()};
}

void CredentialWatcher::watch()
{
    QSet<QString> wanted;
    for (const QString &file : std::as_const(m_files)) {
        if (QFileInfo::exists(file))
            wanted.insert(QFileInfo(file).absoluteFilePath());
        const QString folder = nearestExistingFolder(file);
        if (!folder.isEmpty())
            wanted.insert(folder);
    }
    QStringList watched = m_watcher.files() + m_watcher.directories();
    QStringList gone;
    for (const QString &path : std::as_const(watched)) {
        if (!wanted.contains(path))
            gone.append(path);
    }
    if (!gone.isEmpty())
        m_watcher.removePaths(gone);
    QStringList added;
    for (const QString &path : std::as_const(wanted)) {
        if (!watched.contains(path))
            added.append(path);
    }
    if (!added.isEmpty())
        m_watcher.addPaths(added);
}

void CredentialWatcher::settle()
{
    // A replaced file has fallen out of the watch and a new folder may exist.
    watch();
    bool differs = false;
    for (qsizetype i = 0; i < m_files.size(); ++i) {
        const Look now = look(m_files.at(i));
        if (now != m_looks.at(i)) {
            m_looks[i] = now;
            differs = true;
        }
    }
    if (differs)
        Q_EMIT changed();
}
