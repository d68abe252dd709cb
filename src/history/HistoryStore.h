#pragma once

#include "core/HistorySample.h"
#include "core/UsageModel.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <chrono>
#include <memory>
#include <optional>
#include <utility>

struct sqlite3;
struct SqliteApi;

// Which samples a reader wants; empty fields match everything.
struct HistoryQuery
{
    std::optional<QDateTime> since; // samples seen at or after this moment
    QString provider;               // a provider id
    QString limit;                  // a limit's name or its kind ("session", "weekly"), any case
};

// The record of every check: one SQLite file in WAL mode, written by the tray
// alone, one transaction per check, so a reader (quotix history, the panel)
// never waits for the writer and a killed writer loses at most the check it
// was writing. Holds figures only; nothing about credentials.
class HistoryStore
{
public:
    struct Options
    {
        std::chrono::days retention{90};
        // Past this many bytes of live pages the oldest samples go first.
        qint64 maxBytes = 48ll * 1024 * 1024;
        // A check this long after the last one starts a new sample even when
        // the figures did not change, so a gap (the tray was not running) shows.
        std::chrono::seconds mergeGap{15 * 60};
        // How often the writer looks at its retention and size bound.
        std::chrono::seconds pruneEvery{6 * 3600};
        // The SQLite library to load; null for the system's.
        const char *sqliteLibrary = nullptr;
    };

    static constexpr int SchemaVersion = 1;

    ~HistoryStore();
    HistoryStore(const HistoryStore &) = delete;
    HistoryStore &operator=(const HistoryStore &) = delete;

    // $XDG_DATA_HOME/Quotix/history.sqlite (the platform's data folder elsewhere).
    static QString defaultPath();
    // Where --demo keeps its made-up history, next to the real one.
    static QString demoPath();

    // For the one writer. A file that cannot be used (not a database, damaged,
    // unreadable) is moved aside and a new one made; *notice then says so and
    // where the old file went. Absent only when no database can be made at
    // all, or when a newer Quotix wrote the file (left as it is); *notice says why.
    static std::unique_ptr<HistoryStore> openForWriting(const QString &path, Options options, QString *notice);
    static std::unique_ptr<HistoryStore> openForWriting(const QString &path, QString *notice);
    // For readers: never creates, changes or moves the file.
    static std::unique_ptr<HistoryStore> openForReading(const QString &path, QString *error);
    // Whether the file or its log was written at `since` or later. A history
    // untouched since then holds no sample seen that late, so a reader that
    // wants only recent ones need not load SQLite at all.
    static bool writtenSince(const QString &path, const QDateTime &since);

    // One check of one provider, in one transaction. A database that turns
    // out to be damaged is set aside and the check written to a new one;
    // *notice (when given) then says so, or that it could not be and nothing
    // is recorded any more. False when nothing could be written.
    bool record(const QString &providerId, const QList<UsageLimit> &limits, const QDateTime &at,
                QString *notice = nullptr);

    // Samples in order of provider, limit (as first recorded) and time.
    QList<HistorySample> samples(const HistoryQuery &query = {});

    // Drops samples older than the retention, then the oldest ones while the
    // file is over its size bound. The writer does this by itself from time to time.
    void prune(const QDateTime &now);

    // Closes the file and lets SQLite go until the next read or write, which
    // open both again. What the writer keeps between checks stays.
    void release();

    QString path() const { return m_path; }

private:
    // The newest sample of a limit, which the next check may extend.
    struct LastSample
    {
        qint64 time = 0;
        qint64 until = 0;
        std::optional<double> utilization;
        std::optional<qint64> reset;
    };

    HistoryStore(QString path, Options options, bool writable);
    // Loads SQLite and opens the file unless both are open already.
    bool open(QString *error);
    // Whether the file the writer left was replaced or written by another
    // since; false unless that is certain.
    bool replacedWhileClosed() const;
    // The log, its flushing, and a check of a file not checked yet.
    bool prepareWriting(QString *error);
    // *created: the schema was made just now.
    bool migrate(bool *created, QString *error);
    bool loadLast(QString *error);
    bool writeCheck(const QString &providerId, const QList<UsageLimit> &limits, qint64 at, QString *error);
    // One limit's figures of a check: its last sample extended, or a new one.
    // Empty when SQLite failed; false when the second holds a sample recorded
    // before the clock was set back, which stays.
    std::optional<bool> writeSample(qint64 id, LastSample &sample, qint64 at);
    std::optional<qint64> limitId(const QString &providerId, const UsageLimit &limit, QString *error);
    void close();
    bool setAsideAndReopen(const QString &reason, QString *notice);
    bool exec(const char *sql, QString *error);
    void rollback();

    QString m_path;
    Options m_options;
    bool m_writable;
    std::shared_ptr<const SqliteApi> m_sql;
    sqlite3 *m_db = nullptr;
    bool m_checked = false; // the file was checked, brought up to date and its last samples read
    // Device, inode, size and modification time: which file the path names
    // and whether anyone but the writer wrote it.
    using FileIdentity = std::optional<std::array<qint64, 4>>;
    FileIdentity m_identity;    // of the file, as the writer left it
    FileIdentity m_logIdentity; // of its log, as the writer left it
    std::optional<size_t> m_contents; // a hash of the file, as the writer left it
    int m_failure = 0; // the SQLite code of the last failure
    QHash<QString, qint64> m_limitIds; // "provider\nname" -> id
    QHash<qint64, LastSample> m_last;
    qint64 m_lastPrune = 0;
};
