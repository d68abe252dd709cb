// The history file: what a check leaves behind, how equal checks share a
// sample, what readers see, what happens to damaged or foreign files, the
// bounds, and a writer killed in the middle of its work.
#include "core/UtcZone.h"
#include "history/HistoryStore.h"
#include "support/Files.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include <cmath>
#include <csignal>
#include <cstdio>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QDateTime Start = QDateTime(QDate(2026, 3, 2), QTime(9, 0), utcZone());

UsageLimit limit(const QString &name, double used, std::optional<QDateTime> reset = std::nullopt,
                 LimitKind kind = LimitKind::Other, std::optional<qint64> window = std::nullopt)
{
    return UsageLimit{name, used, reset, kind, window};
}

QList<UsageLimit> twoLimits(double session, double weekly, const QDateTime &now)
{
    return {limit(u"Session (5h)"_s, session, now.addSecs(3600), LimitKind::Session, 5 * 3600),
            limit(u"Weekly"_s, weekly, Start.addDays(7), LimitKind::Weekly, 7 * 86400)};
}

// One statement on a connection of its own, past the store; the first column of the first row.
QString rawQuery(const QString &path, const char *sql)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_stmt *stmt = nullptr;
    QString value;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW)
        value = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return value;
}

// "limit figure from-until reset" per sample, in seconds after Start.
QStringList described(const QList<HistorySample> &samples)
{
    QStringList lines;
    for (const HistorySample &s : samples)
        lines.append(u"%1 %2 %3-%4 %5"_s.arg(s.limit)
                         .arg(s.utilization)
                         .arg(Start.secsTo(s.time))
                         .arg(Start.secsTo(s.until))
                         .arg(s.resetTime ? QString::number(Start.secsTo(*s.resetTime)) : u"-"_s));
    return lines;
}

// A writer on a fresh file that already holds `checks` checks.
std::unique_ptr<HistoryStore> writer(const QString &path, int checks = 0)
{
    QString notice;
    auto store = HistoryStore::openForWriting(path, &notice);
    for (int i = 0; i < checks; ++i)
        store->record(u"claude"_s, twoLimits(i % 97, i % 89, Start), Start.addSecs(i * 120));
    return store;
}

// The child of diesMidWrite: writes one check after another, each with new
// figures, and says on stdout which check is in the file.
int writeForever(const char *path)
{
    QString notice;
    auto store = HistoryStore::openForWriting(QString::fromLocal8Bit(path), &notice);
    if (!store)
        return 3;
    for (int check = 1;; ++check) {
        if (!store->record(u"claude"_s, twoLimits(check % 100 + 0.5, check * 0.01, Start), Start.addSecs(check * 120)))
            return 4;
        std::printf("%d\n", check);
        std::fflush(stdout);
    }
}

} // namespace

class TestHistoryStore : public QObject
{
    Q_OBJECT
    std::optional<QTemporaryDir> dir; // fresh for each test
    QString path;

private Q_SLOTS:
    void init() { path = dir.emplace().filePath(u"history.sqlite"_s); }
    void checksBecomeSamples()
    {
        path = dir->filePath(u"data/Quotix/history.sqlite"_s); // the directories are made too
        QString notice;
        auto store = HistoryStore::openForWriting(path, &notice);
        QVERIFY2(store && notice.isEmpty(), qPrintable(notice));

        const QDateTime reset = Start.addSecs(3600);
        auto at = [](int minutes) { return Start.addSecs(minutes * 60); };
        QVERIFY(store->record(u"claude"_s, twoLimits(10, 40, Start), at(0)));
        // Same figures, a reset that wandered by a second: one sample, seen longer.
        QVERIFY(store->record(u"claude"_s, {limit(u"Session (5h)"_s, 10, reset.addSecs(1), LimitKind::Session, 18000)},
                              at(2)));
        QVERIFY(store->record(u"claude"_s, twoLimits(12.5, 40, Start), at(4)));
        // A gap longer than a few checks starts a new sample although nothing changed.
        QVERIFY(store->record(u"claude"_s, twoLimits(12.5, 40, Start), at(60)));
        QVERIFY(store->record(u"codex"_s, {limit(u"5h"_s, std::nan(""))}, at(60)));

        // The weekly limit was missing from one check: its sample goes on regardless.
        QCOMPARE(described(store->samples()),
                 (QStringList{u"Session (5h) 10 0-120 3600"_s, u"Session (5h) 12.5 240-240 3600"_s,
                              u"Session (5h) 12.5 3600-3600 3600"_s, u"Weekly 40 0-240 604800"_s,
                              u"Weekly 40 3600-3600 604800"_s, u"5h nan 3600-3600 -"_s}));

        // A reader sees the same, filtered.
        QString error;
        auto reader = HistoryStore::openForReading(path, &error);
        QVERIFY2(reader, qPrintable(error));
        QCOMPARE(reader->samples({std::nullopt, u"CLAUDE"_s, u"weekly"_s}).size(), 2);
        QCOMPARE(reader->samples({std::nullopt, {}, u"session (5H)"_s}).size(), 3);
        QCOMPARE(reader->samples({at(30), u"claude"_s, {}}).size(), 2);
        QCOMPARE(reader->samples({std::nullopt, u"gemini"_s, {}}).size(), 0);

        QCOMPARE(rawQuery(path, "PRAGMA journal_mode"), u"wal"_s);
        QCOMPARE(QFile::permissions(path) & 0x0077, QFileDevice::Permissions{}); // nobody else's
        QCOMPARE(rawQuery(path, "PRAGMA user_version"), QString::number(HistoryStore::SchemaVersion));
    }

    void readersNeedAFileAndNeverChangeIt()
    {
        QString error;
        QVERIFY(!HistoryStore::openForReading(path, &error));
        QVERIFY2(error.contains(u"No usage history has been recorded yet"_s), qPrintable(error));
        QVERIFY(!QFile::exists(path));

        QVERIFY(writeFile(path, QByteArray(8192, 'x')));
        QVERIFY(!HistoryStore::openForReading(path, &error));
        QVERIFY2(error.startsWith(u"Cannot read the usage history in "_s), qPrintable(error));
        QVERIFY(QFile::exists(path)); // only the writer moves files
    }

    void onlyAFileWrittenSinceIsWorthOpening()
    {
        const QDateTime now = QDateTime::currentDateTimeUtc();
        QVERIFY(!HistoryStore::writtenSince(path, now.addSecs(-60)));
        writer(path, 1).reset();
        QVERIFY(HistoryStore::writtenSince(path, now.addSecs(-60)));
        auto writtenAt = [](const QString &file, const QDateTime &at) {
            QFile touched(file);
            return touched.open(QIODevice::ReadWrite) && touched.setFileTime(at, QFileDevice::FileModificationTime);
        };
        QVERIFY(writtenAt(path, now.addSecs(-3 * 3600)) && writtenAt(path + u"-wal"_s, now.addSecs(-3 * 3600)));
        QVERIFY(!HistoryStore::writtenSince(path, now.addSecs(-2 * 3600)));
        // The writer's checks land in the log first.
        QVERIFY(writtenAt(path + u"-wal"_s, now));
        QVERIFY(HistoryStore::writtenSince(path, now.addSecs(-2 * 3600)));
    }

    void aReaderDoesNotHoldUpTheWriter()
    {
        auto store = writer(path, 1);

        sqlite3 *reader = nullptr;
        QCOMPARE(sqlite3_open_v2(QFile::encodeName(path).constData(), &reader, SQLITE_OPEN_READONLY, nullptr),
                 SQLITE_OK);
        sqlite3_stmt *stmt = nullptr;
        sqlite3_prepare_v2(reader, "SELECT count(*) FROM samples", -1, &stmt, nullptr);
        QCOMPARE(sqlite3_exec(reader, "BEGIN", nullptr, nullptr, nullptr), SQLITE_OK);
        QCOMPARE(sqlite3_step(stmt), SQLITE_ROW); // a read transaction is open now

        QElapsedTimer timer;
        timer.start();
        for (int i = 1; i <= 20; ++i)
            QVERIFY(store->record(u"claude"_s, twoLimits(i + 1, i + 1, Start), Start.addSecs(i * 120)));
        QVERIFY(timer.elapsed() < 1000); // no busy wait on the reader
        QCOMPARE(sqlite3_column_int(stmt, 0), 2); // and the reader kept its snapshot
        sqlite3_finalize(stmt);
        sqlite3_exec(reader, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(reader);
        QCOMPARE(store->samples().size(), 42);
    }

    void unusableFilesAreSetAside_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("not a database") << u"garbage"_s;
        QTest::newRow("pages overwritten") << u"pages"_s;
        QTest::newRow("cut short") << u"truncated"_s;
    }
    void unusableFilesAreSetAside()
    {
        QFETCH(QString, damage);
        writer(path, 3000);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        if (damage == "garbage"_L1) {
            file.resize(0);
            file.write(QByteArray(3000, '\x5a'));
        } else if (damage == "pages"_L1) {
            file.seek(file.size() / 2);
            file.write(QByteArray(12000, '\x5a'));
        } else {
            file.resize(file.size() / 3);
        }
        file.close();
        const QByteArray damaged = readFile(path);

        QString notice;
        auto store = HistoryStore::openForWriting(path, &notice);
        QVERIFY(store);
        QVERIFY2(notice.startsWith(u"Quotix could not read its usage history ("_s), qPrintable(notice));
        const QStringList aside = QDir(dir->path()).entryList({u"history.sqlite.unreadable-*"_s}, QDir::Files);
        QCOMPARE(aside.size(), 1);
        QVERIFY(notice.contains(dir->filePath(aside.constFirst())));
        QCOMPARE(readFile(dir->filePath(aside.constFirst())), damaged); // moved, not repaired or deleted
        // And the new file works.
        QVERIFY(store->record(u"claude"_s, twoLimits(5, 5, Start), Start));
        QCOMPARE(store->samples().size(), 2);
    }

    // Damaged while the tray runs, and the way aside taken: the user is told
    // that nothing is recorded any more.
    void aFileThatCannotBeSetAsideIsTold()
    {
        writer(path, 1); // gone: its log folded into the file
        auto store = writer(path);
        store->release();
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(QByteArray(3000, 'Z')) == 3000);
        file.close();
        const QDateTime now = QDateTime::currentDateTimeUtc();
        for (int second = -5; second < 60; ++second) // every name it could move the file to
            QVERIFY(writeFile(path + u".unreadable-"_s + now.addSecs(second).toString(u"yyyyMMdd-HHmmss"_s), {}));
        QString notice;
        QVERIFY(!store->record(u"claude"_s, twoLimits(1, 1, Start), Start.addSecs(120), &notice));
        QVERIFY2(notice.contains(u"no history is recorded"_s), qPrintable(notice));
    }

    // The tray lets SQLite go between checks: what it kept must still match
    // the file when it comes back, even a file someone deleted meanwhile.
    void aReleasedWriterCarriesOn()
    {
        auto store = writer(path, 1);
        store->release();
        QVERIFY(store->record(u"claude"_s, twoLimits(0, 0, Start), Start.addSecs(120))); // extends the first
        QCOMPARE(described(store->samples()),
                 (QStringList{u"Session (5h) 0 0-120 3600"_s, u"Weekly 0 0-120 604800"_s}));
        store->release();
        QVERIFY(QFile::remove(path));
        QVERIFY(store->record(u"claude"_s, twoLimits(7, 7, Start), Start.addSecs(240)));
        QCOMPARE(described(store->samples()),
                 (QStringList{u"Session (5h) 7 240-240 3600"_s, u"Weekly 7 240-240 604800"_s}));
    }

    // A backup restored while the tray runs holds other limits under the
    // same ids: new checks go under their own names.
    void aReplacedFileIsReadAgain()
    {
        const QString backup = dir->filePath(u"backup.sqlite"_s);
        writer(backup)->record(u"codex"_s, {limit(u"5h"_s, 1)}, Start);
        auto store = writer(path, 1);
        store->release();
        QVERIFY(QFile::remove(path) && QFile::rename(backup, path));
        QVERIFY(store->record(u"claude"_s, twoLimits(30, 40, Start), Start.addSecs(120)));
        QCOMPARE(store->samples({std::nullopt, u"codex"_s, {}}).size(), 1);
        QCOMPARE(store->samples({std::nullopt, u"claude"_s, {}}).size(), 2);
        // Restored with a log of its own, the backup keeps what that log holds.
        const auto copied = writer(backup); // left open: its log is not folded in
        QVERIFY(copied->record(u"codex"_s, {limit(u"5h"_s, 2)}, Start.addSecs(60)));
        copied->release();
        store->release();
        QVERIFY(QFile::exists(backup + u"-wal"_s));
        for (const QString &log : {u""_s, u"-wal"_s})
            QVERIFY(QFile::remove(path + log) && QFile::rename(backup + log, path + log));
        QVERIFY(store->record(u"claude"_s, twoLimits(30, 40, Start), Start.addSecs(240)));
        QCOMPARE(store->samples({std::nullopt, u"codex"_s, {}}).size(), 1);
        // Only touched: the check in the log not yet folded in stays.
        store->release();
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite) && file.setFileTime(Start, QFileDevice::FileModificationTime));
        file.close();
        QVERIFY(store->record(u"claude"_s, twoLimits(31, 41, Start), Start.addSecs(300)));
        QCOMPARE(store->samples({std::nullopt, u"claude"_s, {}}).size(), 4);
        // Copied into the file (cp backup history.sqlite): the same inode, other contents.
        writer(backup)->record(u"codex"_s, {limit(u"5h"_s, 3)}, Start);
        store->release();
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(readFile(backup)) > 0);
        file.close();
        QVERIFY(store->record(u"claude"_s, twoLimits(30, 40, Start), Start.addSecs(360)));
        QCOMPARE(store->samples({std::nullopt, u"codex"_s, {}}).value(0).utilization, 3);
        QCOMPARE(store->samples({std::nullopt, u"claude"_s, {}}).size(), 2); // this check's only
    }

    // A clock set back lands checks on the seconds of recorded samples,
    // also once it has caught up: what was recorded stays; a check on a free
    // second is still kept.
    void aClockSetBackKeepsWhatWasRecorded()
    {
        auto store = writer(path);
        for (int i = 0; i < 3; ++i)
            QVERIFY(store->record(u"claude"_s, {limit(u"Weekly"_s, 10.0 * i)}, Start.addSecs(i * 120)));
        store->release();
        QVERIFY(store->record(u"claude"_s, {limit(u"Weekly"_s, 50)}, Start.addSecs(120)));
        QVERIFY(store->record(u"claude"_s, {limit(u"Weekly"_s, 60)}, Start.addSecs(180)));
        QVERIFY(store->record(u"claude"_s, {limit(u"Weekly"_s, 70)}, Start.addSecs(240))); // caught up again
        QCOMPARE(described(store->samples()), (QStringList{u"Weekly 0 0-0 -"_s, u"Weekly 10 120-120 -"_s,
                                                           u"Weekly 60 180-180 -"_s, u"Weekly 20 240-240 -"_s}));
        // Equal figures seen earlier than the last sample's end do not shorten it.
        QVERIFY(store->record(u"codex"_s, {limit(u"5h"_s, 5)}, Start));
        QVERIFY(store->record(u"codex"_s, {limit(u"5h"_s, 5)}, Start.addSecs(120)));
        QVERIFY(store->record(u"codex"_s, {limit(u"5h"_s, 5)}, Start.addSecs(60)));
        QCOMPARE(described(store->samples({std::nullopt, u"codex"_s, {}})),
                 (QStringList{u"5h 5 0-120 -"_s, u"5h 5 60-60 -"_s}));
    }

    // Without SQLite, or written by a newer Quotix: no history, and the file
    // neither changed nor set aside.
    void whatCannotBeWrittenIsLeftAlone_data()
    {
        QTest::addColumn<bool>("newerSchema");
        QTest::newRow("no SQLite") << false;
        QTest::newRow("a newer schema") << true;
    }
    void whatCannotBeWrittenIsLeftAlone()
    {
        QFETCH(bool, newerSchema);
        writer(path, 1);
        HistoryStore::Options options;
        if (newerSchema)
            rawQuery(path, "PRAGMA user_version=99");
        else
            options.sqliteLibrary = "libsqlite3-not-here.so.0";
        const QByteArray before = readFile(path);
        QString notice;
        QVERIFY(!HistoryStore::openForWriting(path, options, &notice));
        QVERIFY2(notice.contains(newerSchema ? u"written by a newer Quotix"_s : u"SQLite cannot be loaded"_s),
                 qPrintable(notice));
        QCOMPARE(readFile(path), before);
        QCOMPARE(QDir(dir->path()).entryList({u"*.unreadable-*"_s}).size(), 0);
    }

    void oldAndExcessSamplesGo()
    {
        QString notice;
        HistoryStore::Options options;
        options.maxBytes = 256 * 1024;
        options.pruneEvery = std::chrono::hours(24 * 365 * 10); // only when asked
        auto store = HistoryStore::openForWriting(path, options, &notice);
        QVERIFY(store->record(u"codex"_s, {limit(u"old"_s, 1)}, Start.addDays(-100)));
        for (int i = 0; i < 20000; ++i)
            QVERIFY(store->record(u"claude"_s, twoLimits(i % 100, (i * 7) % 100, Start), Start.addSecs(i * 120)));
        const QDateTime now = Start.addSecs(20000 * 120);
        store->prune(now);

        const QList<HistorySample> left = store->samples();
        QVERIFY(!left.isEmpty());
        QVERIFY(std::none_of(left.cbegin(), left.cend(), [](const auto &s) { return s.limit == "old"_L1; }));
        QVERIFY(left.size() < 40000);
        // The newest are kept.
        QCOMPARE(left.constLast().until, now.addSecs(-120));
        const qint64 live = rawQuery(path, "SELECT (SELECT page_count FROM pragma_page_count) - (SELECT freelist_count"
                                           " FROM pragma_freelist_count)")
                                .toLongLong()
            * 4096;
        QVERIFY2(live <= options.maxBytes, qPrintable(QString::number(live)));
        // The writer carries on where it left off.
        QVERIFY(store->record(u"claude"_s, twoLimits(99, 99, Start), now));
        QCOMPARE(store->samples().constLast().until, now);
    }

    // A writer killed at any moment loses at most the check it was writing,
    // and the file stays whole.
    void diesMidWrite()
    {
        int expectedChecks = 0;
        for (const int stopAfter : {150, 300, 450, 600, 750, 900}) {
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(), {u"--write-forever"_s, path});
            QVERIFY(child.waitForStarted());
            QByteArray output;
            auto lastReported = [&output] {
                const qsizetype end = output.lastIndexOf('\n');
                return end < 0 ? 0 : output.left(end).split('\n').constLast().toInt();
            };
            while (lastReported() < stopAfter && child.state() == QProcess::Running) {
                child.waitForReadyRead(5000);
                output += child.readAllStandardOutput();
            }
            ::kill(child.processId(), SIGKILL);
            child.waitForFinished();
            QCOMPARE(child.exitStatus(), QProcess::CrashExit);
            output += child.readAllStandardOutput(); // what it wrote before it died

            QString notice;
            auto store = HistoryStore::openForWriting(path, &notice);
            QVERIFY2(store && notice.isEmpty(), qPrintable(notice)); // passes the integrity check
            const QList<HistorySample> samples = store->samples({std::nullopt, {}, u"session"_s});
            // A check is in the file whole or not at all.
            QCOMPARE(store->samples({std::nullopt, {}, u"weekly"_s}).size(), samples.size());
            // Each child starts again at check 1, replacing the same moments.
            const int checks = int(samples.size());
            expectedChecks = std::max(expectedChecks, lastReported());
            QVERIFY2(checks >= expectedChecks && checks <= expectedChecks + 1,
                     qPrintable(u"%1 checks in the file, %2 reported"_s.arg(checks).arg(lastReported())));
            expectedChecks = checks;
            QCOMPARE(rawQuery(path, "PRAGMA integrity_check"), u"ok"_s);
        }
    }
};

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--write-forever") == 0)
        return writeForever(argv[2]);
    QCoreApplication app(argc, argv);
    TestHistoryStore test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_historystore.moc"
