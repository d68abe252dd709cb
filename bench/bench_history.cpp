// The history file's budgets: the time to write one check, what the store
// adds to a process's memory, and the file a year of checks at the default
// interval leaves on disk, from a generated history.
//   bench_history [CHECKS_TIMED]
#include "BenchSupport.h"

#include "core/UtcZone.h"
#include "history/HistoryStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 Interval = 120; // the default refresh interval, seconds
constexpr qint64 Year = 365 * 86400;
const QDateTime Start(QDate(2026, 1, 5), QTime(0, 0), utcZone());

struct Window
{
    QString name;
    LimitKind kind;
    qint64 length;
    double share; // of a session's use that lands here
    double used = 0;
    qint64 reset = 0;
};

// Claude's three windows and Codex's three, as the demo shows them.
struct Provider
{
    QString id;
    QList<Window> windows;
};

QList<Provider> providers()
{
    return {{u"claude"_s,
             {{u"Current session"_s, LimitKind::Session, 5 * 3600, 1.0},
              {u"Current week (all models)"_s, LimitKind::Weekly, 7 * 86400, 0.12},
              {u"Current week (Opus)"_s, LimitKind::Other, 7 * 86400, 0.05}}},
            {u"codex"_s,
             {{u"5h limit"_s, LimitKind::Session, 5 * 3600, 0.8},
              {u"Weekly limit"_s, LimitKind::Weekly, 7 * 86400, 0.1},
              {u"Code review"_s, LimitKind::Other, 7 * 86400, 0.02}}}};
}

// Working hours on weekdays: use in about half the checks; nights and
// weekends idle. The services send whole percentages; Codex's reset comes as
// seconds left, so it wanders by a second.
QList<UsageLimit> nextCheck(Provider &provider, qint64 now, bool everyFigureChanges, QRandomGenerator &random)
{
    const QDateTime local = QDateTime::fromSecsSinceEpoch(now, utcZone());
    const bool working = local.date().dayOfWeek() <= 5 && local.time().hour() >= 9 && local.time().hour() < 18;
    const double burst = working && random.bounded(2) == 0 ? random.bounded(1.5) : 0.0;
    QList<UsageLimit> limits;
    for (Window &window : provider.windows) {
        if (now >= window.reset) {
            window.used = 0;
            window.reset = now + window.length;
        }
        window.used = std::min(100.0, window.used + burst * window.share);
        double reported = std::floor(window.used);
        if (everyFigureChanges)
            reported = double(now % 10007) / 100.0 + window.share;
        const qint64 wander = provider.id == "codex"_L1 ? random.bounded(3) - 1 : 0;
        limits.append(UsageLimit{window.name, reported, QDateTime::fromSecsSinceEpoch(window.reset + wander, utcZone()),
                                 window.kind, window.length});
    }
    return limits;
}

// The process's private pages, without the shared library code that RSS also counts.
qint64 anonymousBytes()
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("RssAnon:"))
            return line.mid(8).trimmed().split(' ').constFirst().toLongLong() * 1024;
    }
    return -1;
}

double fileMiB(const QString &path)
{
    qint64 bytes = 0;
    for (const QString &suffix : {u""_s, u"-wal"_s})
        bytes += QFileInfo(path + suffix).size();
    return double(bytes) / (1024.0 * 1024.0);
}

double onDisk(const QString &path, qint64 period, bool everyFigureChanges)
{
    HistoryStore::Options options;
    options.retention = std::chrono::days(400);
    options.maxBytes = qint64(1) << 40;
    QString notice;
    {
        auto store = HistoryStore::openForWriting(path, options, &notice);
        QList<Provider> all = providers();
        QRandomGenerator random(42);
        for (qint64 at = 0; at < period; at += Interval) {
            for (Provider &provider : all) {
                const qint64 now = Start.toSecsSinceEpoch() + at;
                store->record(provider.id, nextCheck(provider, now, everyFigureChanges, random),
                              QDateTime::fromSecsSinceEpoch(now, utcZone()));
            }
        }
    } // closing checkpoints the log into the file
    return fileMiB(path);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int timedChecks = argc > 1 ? std::max(10, QByteArray(argv[1]).toInt()) : 2000;
    QTemporaryDir dir;

    // Memory: the store opened, a few thousand checks written and a week read
    // back, as the tray does; RSS before and after.
    const qint64 before = bench::residentBytes();
    const qint64 anonymousBefore = anonymousBytes();
    QString notice;
    auto store = HistoryStore::openForWriting(dir.filePath(u"history.sqlite"_s), &notice);
    const qint64 opened = bench::residentBytes();
    QList<Provider> all = providers();
    QRandomGenerator random(7);
    QList<double> writeMs;
    for (int i = 0; i < timedChecks; ++i) {
        Provider &provider = all[i % 2];
        const qint64 now = Start.toSecsSinceEpoch() + (i / 2) * Interval;
        const QList<UsageLimit> limits = nextCheck(provider, now, true, random);
        QElapsedTimer timer;
        timer.start();
        store->record(provider.id, limits, QDateTime::fromSecsSinceEpoch(now, utcZone()));
        writeMs.append(double(timer.nsecsElapsed()) / 1e6);
    }
    const QDateTime end = Start.addSecs((timedChecks / 2) * Interval);
    const qsizetype read = store->samples({end.addDays(-7), {}, {}}).size();
    const qint64 after = bench::residentBytes();
    const qint64 anonymousAfter = anonymousBytes();
    bench::report("history_write_ms", writeMs, "ms");
    auto kib = [](const char *figure, qint64 bytes) {
        std::printf("%s %.0f %.0f %.0f KiB\n", figure, bytes / 1024.0, bytes / 1024.0, bytes / 1024.0);
    };
    kib("history_rss_kib", after - before);
    kib("history_rss_open_kib", opened - before);
    kib("history_anon_kib", anonymousAfter - anonymousBefore);
    std::printf("history_read_samples %lld\n", qlonglong(read));

    // As the tray writes: SQLite loaded for the check and let go after it.
    QList<double> releasedMs;
    for (int i = 0; i < std::min(timedChecks, 400); ++i) {
        Provider &provider = all[i % 2];
        const qint64 now = end.toSecsSinceEpoch() + (i / 2) * Interval;
        const QList<UsageLimit> limits = nextCheck(provider, now, true, random);
        QElapsedTimer timer;
        timer.start();
        store->record(provider.id, limits, QDateTime::fromSecsSinceEpoch(now, utcZone()));
        store->release();
        releasedMs.append(double(timer.nsecsElapsed()) / 1e6);
    }
    bench::report("history_released_write_ms", releasedMs, "ms");
    kib("history_rss_released_kib", bench::residentBytes() - before);
    store.reset();
    if (qEnvironmentVariableIsSet("QUOTIX_BENCH_HISTORY_NO_DISK"))
        return 0;

    const double realistic = onDisk(dir.filePath(u"year.sqlite"_s), Year, false);
    std::printf("history_year_mib %.2f %.2f %.2f MiB\n", realistic, realistic, realistic);
    // Every figure new at every check, which no real use comes near, for the
    // retention's 90 days: the most the file holds.
    const double worst = onDisk(dir.filePath(u"worst.sqlite"_s), 90 * 86400, true);
    std::printf("history_90d_worst_mib %.2f %.2f %.2f MiB\n", worst, worst, worst);
    return 0;
}
