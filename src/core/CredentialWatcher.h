#pragma once

#include <QDateTime>
#include <QFileSystemWatcher>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <chrono>

// Tells when one of the command-line tools' credential files appears,
// disappears or is rewritten, so a login shows up without a restart.
//
// The tools replace their files by rename, which drops the file from the
// watch, so each file's folder is watched too (or its nearest existing
// ancestor, before the tool has created the folder). A folder also changes
// for every other file in it; only a file that really differs from its last
// look counts. Looking is a stat, never a read.
class CredentialWatcher : public QObject
{
    Q_OBJECT
public:
    // A tool rewriting its file is one burst of changes, a few milliseconds long.
    static constexpr std::chrono::milliseconds DefaultDebounce{300};

    explicit CredentialWatcher(QStringList files, std::chrono::milliseconds debounce = DefaultDebounce,
                               QObject *parent = nullptr);

Q_SIGNALS:
    // Once per burst of changes, debounce after the last one.
    void changed();

private:
    struct Look
    {
        bool exists = false;
        qint64 size = 0;
        QDateTime modified;
        QDateTime metadataChanged;
        bool operator==(const Look &) const = default;
    };

    static Look look(const QString &file);
    void watch();
    void settle();

    QStringList m_files;
    QList<Look> m_looks;
    QFileSystemWatcher m_watcher;
    QTimer m_debounce;
};
