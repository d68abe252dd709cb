#include "history/HistoryStore.h"

#include "core/Logging.h"
#include "core/UtcZone.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>

#include "history/SqliteLibrary.h"

#include <sys/stat.h>

#include <cmath>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 ResetTolerance = 60; // seconds: a reset computed from "seconds left" wanders by one or two
constexpr qint64 FoldLogBytes = 256 * 1024; // some 60 pages: tens of checks

// Each step takes the schema from the version before it to its own index + 1.
constexpr const char *Migrations[] = {
    // 1: limits by provider and name; samples keyed by limit and first time,
    // so appends and one limit's range are cheap and no rowid is stored.
    "CREATE TABLE limits("
    " id INTEGER PRIMARY KEY,"
    " provider TEXT NOT NULL,"
    " account TEXT NOT NULL DEFAULT '',"
    " name TEXT NOT NULL,"
    " kind TEXT NOT NULL,"
    " window_seconds INTEGER,"
    " UNIQUE(provider, account, name));"
    "CREATE TABLE samples("
    " limit_id INTEGER NOT NULL,"
    " taken_at INTEGER NOT NULL,"
    " seen_until INTEGER NOT NULL,"
    " utilization REAL,"
    " reset_at INTEGER,"
    " PRIMARY KEY(limit_id, taken_at)) WITHOUT ROWID;",
};
static_assert(std::size(Migrations) == HistoryStore::SchemaVersion);

class Statement
{
public:
    Statement(const SqliteApi &sql, sqlite3 *db, const char *text)
        : m_sql(sql)
    {
        m_rc = m_sql.prepare_v2(db, text, -1, &m_stmt, nullptr);
    }
    ~Statement() { m_sql.finalize(m_stmt); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    bool ok() const { return m_rc == SQLITE_OK; }
    Statement &bind(int index, qint64 value)
    {
        m_sql.bind_int64(m_stmt, index, value);
        return *this;
    }
    Statement &bind(int index, const QString &text)
    {
        const QByteArray utf8 = text.toUtf8();
        m_sql.bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        return *this;
    }
    template<typename T>
    Statement &bind(int index, const std::optional<T> &value)
    {
        if (value)
            return bind(index, *value);
        m_sql.bind_null(m_stmt, index);
        return *this;
    }
    Statement &bindReal(int index, std::optional<double> value)
    {
        if (value)
            m_sql.bind_double(m_stmt, index, *value);
        else
            m_sql.bind_null(m_stmt, index);
        return *this;
    }
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step() { return m_rc = m_sql.step(m_stmt); }
    // For the next run of the same text: parsing it again costs more than the rows.
    void reset() { m_sql.reset(m_stmt); }
    bool run() { return step() == SQLITE_DONE; }
    int code() const { return m_rc; }

    qint64 integer(int column) const { return m_sql.column_int64(m_stmt, column); }
    std::optional<qint64> optionalInteger(int column) const
    {
        if (m_sql.column_type(m_stmt, column) == SQLITE_NULL)
            return std::nullopt;
        return integer(column);
    }
    std::optional<double> optionalReal(int column) const
    {
        if (m_sql.column_type(m_stmt, column) == SQLITE_NULL)
            return std::nullopt;
        return m_sql.column_double(m_stmt, column);
    }
    QString text(int column) const
    {
        const auto *bytes = reinterpret_cast<const char *>(m_sql.column_text(m_stmt, column));
        return QString::fromUtf8(bytes, m_sql.column_bytes(m_stmt, column));
    }

private:
    const SqliteApi &m_sql;
    sqlite3_stmt *m_stmt = nullptr;
    int m_rc;
};

std::optional<double> storedUtilization(double value)
{
    return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

std::optional<qint64> storedReset(const std::optional<QDateTime> &reset)
{
    if (!reset || !reset->isValid())
        return std::nullopt;
    return reset->toSecsSinceEpoch();
}

bool sameFigures(const std::optional<double> &a, const std::optional<double> &b, const std::optional<qint64> &resetA,
                 const std::optional<qint64> &resetB)
{
    if (a != b || resetA.has_value() != resetB.has_value())
        return false;
    return !resetA || std::llabs(*resetA - *resetB) <= ResetTolerance;
}

QString errorText(const SqliteApi &sql, sqlite3 *db)
{
    return db ? QString::fromUtf8(sql.errmsg(db)) : u"out of memory"_s;
}

// Damage that a new file mends; anything else (a full disk) may pass.
bool meansUnusable(int code)
{
    const int primary = code & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB || primary == SQLITE_CANTOPEN;
}

std::optional<std::array<qint64, 4>> fileIdentity(const QString &path)
{
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return std::nullopt;
#ifdef __APPLE__
    const timespec &modified = status.st_mtimespec;
#else
    const timespec &modified = status.st_mtim;
#endif
    return std::array<qint64, 4>{qint64(status.st_dev), qint64(status.st_ino), qint64(status.st_size),
                                 qint64(modified.tv_sec) * 1'000'000'000 + modified.tv_nsec};
}

// Read whole, so only after the writer's own fold wrote the file, or when
// the file changed and its size leaves open whether its contents did. Qt's
// hash is keyed per process; the writer compares only its own.
std::optional<size_t> contentHash(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray chunk(64 * 1024, Qt::Uninitialized);
    size_t hash = 0;
    qint64 read;
    while ((read = file.read(chunk.data(), chunk.size())) > 0)
        hash = qHashBits(chunk.constData(), size_t(read), hash);
    if (read < 0)
        return std::nullopt;
    return hash;
}

} // namespace

bool HistoryStore::writtenSince(const QString &path, const QDateTime &since)
{
    const qint64 from = since.toSecsSinceEpoch() * 1'000'000'000;
    for (const QString &file : {path, path + u"-wal"_s}) {
        if (const auto identity = fileIdentity(file); identity && (*identity)[3] >= from)
            return true;
    }
    return false;
}

HistoryStore::HistoryStore(QString path, Options options, bool writable)
    : m_path(std::move(path))
    , m_options(options)
    , m_writable(writable)
{}

HistoryStore::~HistoryStore()
{
    // Once the writer is gone the file stands alone, its log folded in.
    QString ignored;
    if (m_writable && m_checked && open(&ignored))
        m_sql->db_config(m_db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 0, nullptr);
    release();
}

QString HistoryStore::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u"/Quotix/history.sqlite"_s;
}

QString HistoryStore::demoPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u"/Quotix/demo-history.sqlite"_s;
}

std::unique_ptr<HistoryStore> HistoryStore::openForWriting(const QString &path, QString *notice)
{
    return openForWriting(path, Options{}, notice);
}

std::unique_ptr<HistoryStore> HistoryStore::openForWriting(const QString &path, Options options, QString *notice)
{
    std::unique_ptr<HistoryStore> store(new HistoryStore(path, options, true));
    QString error;
    if (store->open(&error))
        return store;
    if (error.startsWith(u"newer:"_s)) {
        *notice = QCoreApplication::translate(
                      "History", "The usage history in %1 was written by a newer Quotix; this one records no history.")
                      .arg(path);
        return nullptr;
    }
    if (!meansUnusable(store->m_failure)) {
        *notice = QCoreApplication::translate(
                      "History", "Quotix cannot open its usage history in %1 (%2); no history is recorded.")
                      .arg(path, error);
        return nullptr;
    }
    if (!store->setAsideAndReopen(error, notice))
        return nullptr;
    return store;
}

std::unique_ptr<HistoryStore> HistoryStore::openForReading(const QString &path, QString *error)
{
    if (!QFileInfo::exists(path)) {
        *error = QCoreApplication::translate("History", "No usage history has been recorded yet (%1 does not exist).")
                     .arg(path);
        return nullptr;
    }
    std::unique_ptr<HistoryStore> store(new HistoryStore(path, Options{}, false));
    if (!store->open(error)) {
        if (error->startsWith(u"newer:"_s))
            *error = QCoreApplication::translate("History", "The usage history in %1 was written by a newer Quotix.")
                         .arg(path);
        else
            *error
                = QCoreApplication::translate("History", "Cannot read the usage history in %1: %2").arg(path, *error);
        return nullptr;
    }
    return store;
}

bool HistoryStore::open(QString *error)
{
    if (m_db)
        return true;
    m_failure = SQLITE_OK;
    if (!m_sql && !(m_sql = SqliteLibrary::load(error, m_options.sqliteLibrary))) {
        m_failure = SQLITE_ERROR; // nothing wrong with the file
        return false;
    }
    // A file put in place of ours while it was closed, or written into (a
    // backup restored), is another history: the log beside it is the old
    // file's and would be laid over it, and the ids and last samples kept are
    // the old file's too.
    if (m_writable && m_checked && replacedWhileClosed()) {
        // Only our own log: a backup restored with its log keeps it.
        if (fileIdentity(m_path + u"-wal"_s) == m_logIdentity) {
            QFile::remove(m_path + u"-wal"_s);
            QFile::remove(m_path + u"-shm"_s);
        }
        m_checked = false;
    }
    if (m_writable && !QFileInfo::exists(m_path)) {
        // Only the user's: SQLite gives its log and index the file's permissions.
        QDir().mkpath(QFileInfo(m_path).absolutePath());
        QFile file(m_path);
        if (file.open(QIODevice::WriteOnly))
            file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }
    const QByteArray file = QFile::encodeName(m_path);
    const int flags = m_writable ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE : SQLITE_OPEN_READONLY;
    if (const int rc = m_sql->open_v2(file.constData(), &m_db, flags | SQLITE_OPEN_NOMUTEX, nullptr); rc != SQLITE_OK) {
        m_failure = rc;
        *error = errorText(*m_sql, m_db);
        close();
        return false;
    }
    m_sql->extended_result_codes(m_db, 1);
    // Only the writer's own checkpoint may hold a reader back, and only briefly.
    m_sql->busy_timeout(m_db, 2000);
    // A small page cache: the tray's memory matters more than a chart's speed.
    if (!exec("PRAGMA cache_size=-256", error))
        return false;
    if (m_writable && !prepareWriting(error))
        return false;
    // What was kept between checks holds while the file is the one it came
    // from; a file made anew (someone deleted it) starts them again.
    bool created = false;
    if (!migrate(&created, error) || (m_writable && (!m_checked || created) && !loadLast(error)))
        return false;
    // The log of a sound file stays when the connection closes: folding it
    // in costs two flushes to disk, and the tray closes after every check.
    // release() folds it in once it has grown.
    if (m_writable)
        m_sql->db_config(m_db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    m_checked = true;
    return true;
}

bool HistoryStore::replacedWhileClosed() const
{
    const FileIdentity now = fileIdentity(m_path);
    if (now == m_identity || !m_identity)
        return false;
    // Only on proof, as the log holds checks not yet folded in: gone, of
    // another size, or of other contents. A file only touched, or moved and
    // put back as it was, keeps it.
    if (!now || (*now)[2] != (*m_identity)[2])
        return true;
    const std::optional<size_t> contents = contentHash(m_path);
    return contents && m_contents && *contents != *m_contents;
}

bool HistoryStore::prepareWriting(QString *error)
{
    Statement mode(*m_sql, m_db, "PRAGMA journal_mode=WAL");
    if (!mode.ok() || mode.step() != SQLITE_ROW || mode.text(0) != "wal"_L1) {
        m_failure = m_sql->extended_errcode(m_db);
        *error = errorText(*m_sql, m_db);
        return false;
    }
    // In WAL mode NORMAL still survives a killed process; only a power
    // cut may lose the last checks, never the file.
    if (!exec("PRAGMA synchronous=NORMAL; PRAGMA journal_size_limit=1048576", error))
        return false;
    // Once per file: reading every page again for each check would cost
    // more than the check.
    if (m_checked)
        return true;
    Statement check(*m_sql, m_db, "PRAGMA quick_check(1)");
    if (!check.ok() || check.step() != SQLITE_ROW || check.text(0) != "ok"_L1) {
        *error = check.ok() && check.code() == SQLITE_ROW ? check.text(0) : errorText(*m_sql, m_db);
        m_failure = SQLITE_CORRUPT;
        return false;
    }
    return true;
}

bool HistoryStore::migrate(bool *created, QString *error)
{
    Statement version(*m_sql, m_db, "PRAGMA user_version");
    if (!version.ok() || version.step() != SQLITE_ROW) {
        m_failure = m_sql->extended_errcode(m_db);
        *error = errorText(*m_sql, m_db);
        return false;
    }
    const qint64 current = version.integer(0);
    if (current > SchemaVersion) {
        *error = u"newer:"_s;
        return false;
    }
    if (current == SchemaVersion)
        return true;
    if (!m_writable) {
        *error = u"no usage history has been recorded yet"_s;
        return false;
    }
    if (!exec("BEGIN IMMEDIATE", error))
        return false;
    for (qint64 step = current; step < SchemaVersion; ++step) {
        if (!exec(Migrations[step], error)) {
            exec("ROLLBACK", nullptr);
            return false;
        }
    }
    const QByteArray setVersion = "PRAGMA user_version=" + QByteArray::number(SchemaVersion);
    if (!exec(setVersion.constData(), error) || !exec("COMMIT", error)) {
        exec("ROLLBACK", nullptr);
        return false;
    }
    *created = true;
    return true;
}

bool HistoryStore::loadLast(QString *error)
{
    m_limitIds.clear();
    m_last.clear();
    Statement limits(*m_sql, m_db, "SELECT id, provider, name FROM limits");
    if (!limits.ok()) {
        *error = errorText(*m_sql, m_db);
        return false;
    }
    while (limits.step() == SQLITE_ROW)
        m_limitIds.insert(limits.text(1) + u'\n' + limits.text(2), limits.integer(0));
    if (limits.code() != SQLITE_DONE) {
        *error = errorText(*m_sql, m_db);
        return false;
    }
    Statement last(*m_sql, m_db,
                   "SELECT taken_at, seen_until, utilization, reset_at FROM samples"
                   " WHERE limit_id = ?1 ORDER BY taken_at DESC LIMIT 1");
    for (const qint64 id : std::as_const(m_limitIds)) {
        last.reset();
        last.bind(1, id);
        const int rc = last.step();
        if (rc == SQLITE_ROW)
            m_last.insert(id, {last.integer(0), last.integer(1), last.optionalReal(2), last.optionalInteger(3)});
        else if (rc != SQLITE_DONE) {
            *error = errorText(*m_sql, m_db);
            return false;
        }
    }
    return true;
}

bool HistoryStore::record(const QString &providerId, const QList<UsageLimit> &limits, const QDateTime &at,
                          QString *notice)
{
    if (!m_writable || !m_checked)
        return false;
    const qint64 seconds = at.toSecsSinceEpoch();
    QString error;
    if (open(&error) && writeCheck(providerId, limits, seconds, &error)) {
        if (seconds - m_lastPrune >= m_options.pruneEvery.count())
            prune(at);
        return true;
    }
    if (!meansUnusable(m_failure))
        return false;
    // Said either way: a new file, or that nothing is recorded from now on.
    QString setAside;
    const bool reopened = setAsideAndReopen(error, &setAside);
    if (notice)
        *notice = setAside;
    return reopened && writeCheck(providerId, limits, seconds, &error);
}

bool HistoryStore::writeCheck(const QString &providerId, const QList<UsageLimit> &limits, qint64 at, QString *error)
{
    if (!exec("BEGIN IMMEDIATE", error))
        return false;
    // Applied to m_last only once the transaction is in.
    QList<std::pair<qint64, LastSample>> written;
    for (const UsageLimit &limit : limits) {
        const std::optional<qint64> id = limitId(providerId, limit, error);
        if (!id) {
            rollback();
            return false;
        }
        LastSample sample{at, at, storedUtilization(limit.utilization), storedReset(limit.resetTime)};
        const std::optional<bool> kept = writeSample(*id, sample, at);
        if (!kept) {
            m_failure = m_sql->extended_errcode(m_db);
            *error = errorText(*m_sql, m_db);
            rollback();
            return false;
        }
        if (*kept) {
            written.append({*id, sample});
        } else {
            qCWarning(lcHistory,
                      "%s/%s: a sample is already recorded at %s (the clock was set back); this check is left out",
                      qUtf8Printable(providerId), qUtf8Printable(limit.name),
                      qUtf8Printable(QDateTime::fromSecsSinceEpoch(at, utcZone()).toString(Qt::ISODate)));
        }
    }
    if (!exec("COMMIT", error)) {
        rollback();
        return false;
    }
    for (const auto &[id, sample] : std::as_const(written))
        m_last.insert(id, sample);
    return true;
}

std::optional<bool> HistoryStore::writeSample(qint64 id, LastSample &sample, qint64 at)
{
    const auto last = m_last.constFind(id);
    const bool extends = last != m_last.cend() && last->until <= at && at - last->until <= m_options.mergeGap.count()
        && sameFigures(last->utilization, sample.utilization, last->reset, sample.reset);
    if (extends) {
        sample.time = last->time;
        sample.reset = last->reset;
        if (!Statement(*m_sql, m_db, "UPDATE samples SET seen_until = ?3 WHERE limit_id = ?1 AND taken_at = ?2")
                 .bind(1, id)
                 .bind(2, sample.time)
                 .bind(3, at)
                 .run())
            return std::nullopt;
        return true;
    }
    // Two checks within one second: the later figures win. Any other sample
    // on this second was recorded before the clock was set back, and stays.
    const bool sameSecond = last != m_last.cend() && last->time == at && last->until == at;
    if (!Statement(*m_sql, m_db,
                   sameSecond ? "INSERT OR REPLACE INTO samples(limit_id, taken_at, seen_until, utilization, reset_at)"
                                " VALUES(?1, ?2, ?2, ?3, ?4)"
                              : "INSERT OR IGNORE INTO samples(limit_id, taken_at, seen_until, utilization, reset_at)"
                                " VALUES(?1, ?2, ?2, ?3, ?4)")
             .bind(1, id)
             .bind(2, at)
             .bindReal(3, sample.utilization)
             .bind(4, sample.reset)
             .run())
        return std::nullopt;
    return m_sql->changes(m_db) > 0;
}

std::optional<qint64> HistoryStore::limitId(const QString &providerId, const UsageLimit &limit, QString *error)
{
    const QString key = providerId + u'\n' + limit.name;
    if (const auto found = m_limitIds.constFind(key); found != m_limitIds.cend()) {
        // The kind and the length may become known later; what is known stays.
        Statement update(*m_sql, m_db,
                         "UPDATE limits SET kind = ?2, window_seconds = ?3 WHERE id = ?1"
                         " AND ?2 != 'other' AND ?3 IS NOT NULL AND (kind != ?2 OR window_seconds IS NOT ?3)");
        if (update.bind(1, *found).bind(2, limitKindName(limit.kind)).bind(3, limit.windowSeconds).run())
            return *found;
        m_failure = m_sql->extended_errcode(m_db);
        *error = errorText(*m_sql, m_db);
        return std::nullopt;
    }
    Statement insert(*m_sql, m_db, "INSERT INTO limits(provider, name, kind, window_seconds) VALUES(?1, ?2, ?3, ?4)");
    if (!insert.bind(1, providerId).bind(2, limit.name).bind(3, limitKindName(limit.kind)).bind(4, limit.windowSeconds).run()) {
        m_failure = m_sql->extended_errcode(m_db);
        *error = errorText(*m_sql, m_db);
        return std::nullopt;
    }
    const qint64 id = m_sql->last_insert_rowid(m_db);
    // Inserted inside the caller's transaction: rollback() forgets it again.
    m_limitIds.insert(key, id);
    return id;
}

QList<HistorySample> HistoryStore::samples(const HistoryQuery &query)
{
    QList<HistorySample> result;
    QString error;
    if (!m_checked || !open(&error))
        return result;
    Statement limits(*m_sql, m_db, "SELECT id, provider, name, kind, window_seconds FROM limits ORDER BY provider, id");
    struct Limit
    {
        qint64 id;
        HistorySample shape;
    };
    QList<Limit> wanted;
    while (limits.step() == SQLITE_ROW) {
        Limit limit{limits.integer(0), {}};
        limit.shape.provider = limits.text(1);
        limit.shape.limit = limits.text(2);
        const QString kind = limits.text(3);
        limit.shape.kind = limitKindFromName(kind);
        limit.shape.windowSeconds = limits.optionalInteger(4);
        if (!query.provider.isEmpty() && limit.shape.provider.compare(query.provider, Qt::CaseInsensitive) != 0)
            continue;
        if (!query.limit.isEmpty() && limit.shape.limit.compare(query.limit, Qt::CaseInsensitive) != 0
            && kind.compare(query.limit, Qt::CaseInsensitive) != 0)
            continue;
        wanted.append(limit);
    }
    const qint64 since = query.since ? query.since->toSecsSinceEpoch() : std::numeric_limits<qint64>::min();
    Statement rows(*m_sql, m_db,
                   "SELECT taken_at, seen_until, utilization, reset_at FROM samples"
                   " WHERE limit_id = ?1 AND seen_until >= ?2 ORDER BY taken_at");
    for (const Limit &limit : std::as_const(wanted)) {
        rows.reset();
        rows.bind(1, limit.id).bind(2, since);
        while (rows.step() == SQLITE_ROW) {
            HistorySample sample = limit.shape;
            sample.time = QDateTime::fromSecsSinceEpoch(rows.integer(0), utcZone());
            sample.until = QDateTime::fromSecsSinceEpoch(rows.integer(1), utcZone());
            sample.utilization = rows.optionalReal(2).value_or(std::nan(""));
            if (const auto reset = rows.optionalInteger(3))
                sample.resetTime = QDateTime::fromSecsSinceEpoch(*reset, utcZone());
            result.append(sample);
        }
    }
    return result;
}

void HistoryStore::prune(const QDateTime &now)
{
    QString error;
    if (!m_writable || !m_checked || !open(&error))
        return;
    m_lastPrune = now.toSecsSinceEpoch();
    const qint64 cutoff = m_lastPrune - std::chrono::seconds(m_options.retention).count();
    Statement(*m_sql, m_db, "DELETE FROM samples WHERE seen_until < ?1").bind(1, cutoff).run();
    // Freed pages are reused, so the file stops growing at about the bound.
    for (int round = 0; round < 20; ++round) {
        Statement pages(*m_sql, m_db,
                        "SELECT (SELECT page_count FROM pragma_page_count) - (SELECT freelist_count FROM "
                        "pragma_freelist_count), (SELECT page_size FROM pragma_page_size),"
                        " (SELECT count(*) FROM samples)");
        if (pages.step() != SQLITE_ROW || pages.integer(0) * pages.integer(1) <= m_options.maxBytes
            || pages.integer(2) == 0)
            break;
        Statement(*m_sql, m_db,
                  "DELETE FROM samples WHERE taken_at <= (SELECT taken_at FROM samples ORDER BY taken_at"
                  " LIMIT 1 OFFSET ?1)")
            .bind(1, pages.integer(2) / 10)
            .run();
    }
    Statement(*m_sql, m_db, "DELETE FROM limits WHERE id NOT IN (SELECT DISTINCT limit_id FROM samples)").run();
    loadLast(&error);
}

void HistoryStore::rollback()
{
    const int failure = m_failure;
    exec("ROLLBACK", nullptr);
    QString ignored;
    loadLast(&ignored); // ids of limits inserted by the failed check are gone
    m_failure = failure;
}

void HistoryStore::close()
{
    if (m_db)
        m_sql->close_v2(m_db);
    m_db = nullptr;
}

void HistoryStore::release()
{
    // Each open reads the whole log again, and a log that is only ever
    // folded in by a later session never starts again from its beginning.
    if (m_db && m_writable && QFileInfo(m_path + u"-wal"_s).size() > FoldLogBytes)
        exec("PRAGMA wal_checkpoint(TRUNCATE)", nullptr);
    const bool wasOpen = m_db != nullptr;
    close();
    // Taken once closed: until then the writer's own checkpoints may write the file.
    if (wasOpen && m_writable) {
        const FileIdentity identity = fileIdentity(m_path);
        if (identity != m_identity || !m_contents)
            m_contents = contentHash(m_path);
        m_identity = identity;
        m_logIdentity = fileIdentity(m_path + u"-wal"_s);
    }
    m_sql.reset();
}

bool HistoryStore::setAsideAndReopen(const QString &reason, QString *notice)
{
    close();
    m_checked = false;
    const QString aside = m_path + u".unreadable-"_s
        + QDateTime::currentDateTimeUtc().toString(u"yyyyMMdd-HHmmss"_s);
    // The write-ahead log belongs to the old file; the index is rebuilt.
    const bool moved = QFile::rename(m_path, aside) || !QFile::exists(m_path);
    if (QFile::exists(m_path + u"-wal"_s))
        QFile::rename(m_path + u"-wal"_s, aside + u"-wal"_s);
    QFile::remove(m_path + u"-shm"_s);
    if (!moved) {
        *notice
            = QCoreApplication::translate(
                  "History",
                  "Quotix cannot use its usage history in %1 (%2) and cannot move it aside; no history is recorded.")
                  .arg(m_path, reason);
        return false;
    }
    QString error;
    if (!open(&error)) {
        close();
        *notice = QCoreApplication::translate(
                      "History", "Quotix cannot create its usage history in %1 (%2); no history is recorded.")
                      .arg(m_path, error);
        return false;
    }
    *notice
        = QCoreApplication::translate(
              "History",
              "Quotix could not read its usage history (%1). The file was moved to %2 and a new history was started.")
              .arg(reason, aside);
    return true;
}

bool HistoryStore::exec(const char *sql, QString *error)
{
    char *message = nullptr;
    if (m_sql->exec(m_db, sql, nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    m_failure = m_sql->extended_errcode(m_db);
    if (error)
        *error = message ? QString::fromUtf8(message) : errorText(*m_sql, m_db);
    m_sql->free(message);
    return false;
}
