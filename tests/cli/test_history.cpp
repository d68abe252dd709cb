// quotix history: the period it reads, the CSV, JSON and sparkline forms, and
// black-box runs of the built program over a history file written here.
#include "cli/HistoryCommand.h"
#include "core/UtcZone.h"
#include "demo/DemoHistory.h"
#include "history/HistoryStore.h"
#include "presentation/HistoryChart.h"
#include "presentation/HistoryFormat.h"
#include "presentation/PanelModel.h"
#include "support/ChildRun.h"
#include "support/DataRows.h"
#include "support/Files.h"
#include "support/ProviderLooks.h"
#include "support/ScriptedProvider.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

const QDateTime Now = QDateTime(QDate(2026, 3, 9), QTime(12, 0), utcZone());

HistorySample sample(const QString &limit, double used, const QDateTime &time, const QDateTime &until)
{
    return {u"claude"_s, limit, LimitKind::Weekly, 604800, used, Now.addDays(2), time, until};
}

} // namespace

class TestHistory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void thePeriodIsReadLikeThis_data()
    {
        // expected: invalid when refused
        addColumns<QString, QDateTime>("text", "expected");
        QTest::newRow("days") << u"7d"_s << Now.addDays(-7);
        QTest::newRow("hours") << u"36h"_s << Now.addSecs(-36 * 3600);
        QTest::newRow("minutes") << u"90m"_s << Now.addSecs(-90 * 60);
        QTest::newRow("weeks") << u"2w"_s << Now.addDays(-14);
        QTest::newRow("a date") << u"2026-03-01"_s << QDate(2026, 3, 1).startOfDay();
        QTest::newRow("a moment") << u"2026-03-01T08:30:00Z"_s << QDateTime(QDate(2026, 3, 1), QTime(8, 30), utcZone());
        QTest::newRow("no unit") << u"7"_s << QDateTime();
        QTest::newRow("unknown unit") << u"7y"_s << QDateTime();
        QTest::newRow("no number") << u"d"_s << QDateTime();
        QTest::newRow("negative") << u"-1d"_s << QDateTime();
        QTest::newRow("absurdly far") << u"99999999999w"_s << QDateTime();
        QTest::newRow("empty") << QString() << QDateTime();
    }
    void thePeriodIsReadLikeThis()
    {
        const auto [text, expected] = fetchRow<QString, QDateTime>("text", "expected");
        const std::optional<QDateTime> since = parseSince(text, Now);
        QCOMPARE(since.has_value(), expected.isValid());
        if (since)
            QCOMPARE(*since, expected);
    }

    void csvFollowsRfc4180()
    {
        HistorySample odd = sample(u"Opus, \"max\"\nplan"_s, std::nan(""), Now.addSecs(-600), Now);
        odd.windowSeconds.reset();
        odd.resetTime.reset();
        const QByteArray csv
            = historyCsv({sample(u"Weekly"_s, 12.5, Now.addSecs(-3600), Now.addSecs(-1800)), odd});
        QCOMPARE(csv,
                 "time,until,provider,limit,kind,window_seconds,used_percent,resets_at\r\n"
                 "2026-03-09T11:00:00.000Z,2026-03-09T11:30:00.000Z,claude,Weekly,weekly,604800,12.5,"
                 "2026-03-11T12:00:00.000Z\r\n"
                 "2026-03-09T11:50:00.000Z,2026-03-09T12:00:00.000Z,claude,\"Opus, \"\"max\"\"\nplan\",weekly,,,\r\n"_ba);
        QCOMPARE(historyCsv({}), "time,until,provider,limit,kind,window_seconds,used_percent,resets_at\r\n"_ba);
        QVERIFY(historyCsv({sample(u"Two\nlines"_s, 1, Now, Now)}).contains(",\"Two\nlines\","));
    }

    void jsonIsOneObjectPerLine()
    {
        HistorySample odd = sample(u"Weekly"_s, std::nan(""), Now.addSecs(-600), Now);
        odd.resetTime.reset();
        const QList<QByteArray> lines = historyJsonLines({sample(u"Weekly"_s, 40, Now.addSecs(-1200), Now), odd})
                                            .split('\n');
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[2].isEmpty());
        const QJsonObject first = QJsonDocument::fromJson(lines[0]).object();
        QCOMPARE(first.value(u"utilization"_s).toDouble(), 40.0);
        QCOMPARE(first.value(u"time"_s).toString(), u"2026-03-09T11:40:00.000Z"_s);
        QCOMPARE(first.value(u"windowSeconds"_s).toInteger(), 604800);
        const QJsonObject second = QJsonDocument::fromJson(lines[1]).object();
        QVERIFY(second.value(u"utilization"_s).isNull() && second.value(u"resetTime"_s).isNull());
    }

    void sparklinesShowPeaksAndGaps()
    {
        QCOMPARE(sparkline({0.0, 50.0, 100.0, 150.0, -5.0, std::nullopt}), u"▁▅██▁ "_s);
        const QDateTime from = Now.addSecs(-4 * 3600);
        // Four one-hour columns: the first empty, a peak inside the second,
        // the last two covered by one long sample.
        const QList<HistorySample> samples{sample(u"W"_s, 20, from.addSecs(3600), from.addSecs(3700)),
                                           sample(u"W"_s, 80, from.addSecs(4000), from.addSecs(4100)),
                                           sample(u"W"_s, 30, from.addSecs(7200), Now)};
        QCOMPARE(historyColumns(samples, from, Now, 4), (QList<std::optional<double>>{std::nullopt, 80.0, 30.0, 30.0}));
        QCOMPARE(historyText(samples, from, Now, 4), u"Claude  W  │ ▇▃▃│  last 30%, peak 80%\n"_s);
        QCOMPARE(historyText({}, from, Now), u"No usage recorded in this period.\n"_s);
        // A wide (Japanese) name takes two columns a character: the charts still line up.
        const QList<HistorySample> named{sample(u"週間"_s, 20, from, Now), sample(u"Week"_s, 20, from, Now)};
        QCOMPARE(historyText(named, from, Now, 1),
                 u"Claude  週間  │▂│  last 20%, peak 20%\nClaude  Week  │▂│  last 20%, peak 20%\n"_s);
    }

    void theCommandReadsWhatTheTrayWrote()
    {
        QTemporaryDir home;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"HOME"_s, home.path());
        environment.insert(u"XDG_DATA_HOME"_s, home.filePath(u"data"_s));
        const auto run = [&environment](const QStringList &arguments, const QString &stdoutFile = {}) {
            return runChild(QStringLiteral(QUOTIX_EXECUTABLE), QStringList{u"history"_s} + arguments, environment,
                            stdoutFile);
        };

        const ChildRun missing = run({});
        QCOMPARE(missing.exitCode, 1);
        QVERIFY(missing.err.contains("No usage history has been recorded yet"));

        {
            qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(u"data"_s)));
            QString notice;
            auto store = HistoryStore::openForWriting(HistoryStore::defaultPath(), &notice);
            QVERIFY(store);
            QVERIFY(store->defaultPath().startsWith(home.filePath(u"data/Quotix/"_s)));
            const QDateTime now = QDateTime::currentDateTimeUtc();
            for (int i = 0; i < 10; ++i) {
                const QDateTime at = now.addSecs((i - 10) * 3600);
                QVERIFY(store->record(
                    u"claude"_s, {UsageLimit{u"Current session"_s, i * 10.0, at.addSecs(1800), LimitKind::Session, 18000},
                                  UsageLimit{u"Current week"_s, 50.0, now.addDays(3), LimitKind::Weekly, 604800}},
                    at));
                QVERIFY(store->record(u"codex"_s, {UsageLimit{u"5h limit"_s, 5.0, {}, LimitKind::Session, 18000}}, at));
            }
            // Older than the default period.
            QVERIFY(store->record(u"codex"_s, {UsageLimit{u"5h limit"_s, 1.0}}, now.addDays(-9)));
        }

        const ChildRun csv = run({u"--csv"_s});
        QCOMPARE(csv.exitCode, 0);
        const QList<QByteArray> rows = csv.out.split('\n');
        // Header, then 10 samples per limit: even the unchanged weekly one,
        // since checks an hour apart are further apart than the merging gap.
        QCOMPARE(rows.size() - 1, 1 + 10 + 10 + 10);
        QVERIFY(rows[1].contains(",claude,Current session,session,18000,0,"));

        const ChildRun full = run({u"--csv"_s}, u"/dev/full"_s);
        QCOMPARE(full.exitCode, 1);
        QVERIFY2(full.err.contains("quotix history: could not write the output: No space left on device\n"),
                 full.err.constData());

        const ChildRun json = run({u"--json"_s, u"--provider"_s, u"Codex"_s, u"--since"_s, u"30d"_s});
        QCOMPARE(json.exitCode, 0);
        QCOMPARE(json.out.count('\n'), 11);
        QCOMPARE(QJsonDocument::fromJson(json.out.split('\n').constFirst())[u"utilization"_s].toDouble(), 1.0);

        const ChildRun text = run({u"--limit"_s, u"session"_s});
        QCOMPARE(text.exitCode, 0);
        const QStringList lines = QString::fromUtf8(text.out).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines[0].startsWith(u"Claude  Current session  │"_s) && lines[0].endsWith(u"last 90%, peak 90%"_s),
                 text.out.constData());
        QVERIFY(lines[1].startsWith(u"Codex   5h limit         │"_s));

        const QList<std::pair<QStringList, QByteArray>> wrongUses{
            {{u"--since"_s, u"soon"_s}, "--since takes a period"},
            {{u"--provider"_s, u"bard"_s}, "--provider takes claude, codex, copilot or gemini, not \"bard\""},
            {{u"--provider"_s, u"claude-"_s}, "--provider takes claude, codex, copilot or gemini, not \"claude-\""},
            {{u"--json"_s, u"--csv"_s}, "--json and --csv exclude each other"},
            {{u"--limit"_s, u" "_s}, "--limit needs a name"},
            {{u"--since"_s, u"2999-01-01"_s}, "lies in the future"},
            {{u"extra"_s}, "unexpected argument \"extra\""},
        };
        for (const auto &[arguments, reason] : wrongUses) {
            const ChildRun wrong = run(arguments);
            QCOMPARE(wrong.exitCode, 2);
            QVERIFY2(wrong.err.contains(reason), wrong.err.constData());
            QVERIFY(wrong.out.isEmpty());
        }
    }

    // A day of checks as the tray records them: the panel's row charts, the
    // History window's charts and `quotix history --csv` show the same figures.
    void theFacesAgreeOnADayOfRecordedChecks()
    {
        QTemporaryDir home;
        qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(u"data"_s)));
        const QDateTime now = QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch(), utcZone());
        const QDateTime weekAgo = now.addDays(-7);
        const QList<UsageLimit> limits{
            UsageLimit{u"Session (5h)"_s, 34, now.addSecs(8220), LimitKind::Session, 18000},
            UsageLimit{u"Weekly (7d)"_s, 76, now.addSecs(274000), LimitKind::Weekly, 604800}};
        {
            QString notice;
            auto store = HistoryStore::openForWriting(HistoryStore::demoPath(), &notice);
            QVERIFY(store);
            // The made-up day, checked every two minutes.
            const QList<HistorySample> made = DemoData::history(u"claude"_s, limits, now, 1);
            for (QDateTime at = now.addDays(-1); at <= now; at = at.addSecs(120)) {
                QList<UsageLimit> seen;
                for (const HistorySample &s : made) {
                    if (s.time <= at && at < s.until.addSecs(120))
                        seen.append(UsageLimit{s.limit, s.utilization, s.resetTime, s.kind, s.windowSeconds});
                }
                QVERIFY(store->record(u"claude"_s, seen, at));
            }
        }
        const ChildRun history = runChild(QStringLiteral(QUOTIX_EXECUTABLE), // in this environment
                                          {u"history"_s, u"--demo"_s, u"--csv"_s, u"--since"_s, u"2d"_s});
        QCOMPARE(history.exitCode, 0);
        const QList<QByteArray> rows = history.out.trimmed().split('\n').mid(1);

        QString error;
        const QList<HistorySample> recorded
            = HistoryStore::openForReading(HistoryStore::demoPath(), &error)->samples({now.addDays(-8)});
        ProviderState state;
        state.provider = std::make_shared<ScriptedProvider>(u"claude"_s, u"Claude"_s);
        state.usage = ProviderUsageResponse{limits};
        const SectionModel panel = sectionModel(state, now, DisplayAs::Used, recorded);
        const QList<HistoryChart> charts = historyCharts(recorded, weekAgo, now);
        QCOMPARE(charts.size(), 2);
        const auto points = [](const QList<QList<QPointF>> &runs) {
            QList<QPointF> all;
            for (const QList<QPointF> &run : runs)
                all += run;
            return all;
        };
        for (qsizetype i = 0; i < limits.size(); ++i) {
            // A CSV row is a reading held from its time to its until: one point or two.
            QList<QPointF> expected;
            for (const QByteArray &row : rows) {
                const QList<QByteArray> field = row.trimmed().split(',');
                if (field.value(3) != limits[i].name.toUtf8())
                    continue;
                for (const QByteArray &moment : field[1] == field[0] ? QList{field[0]} : QList{field[0], field[1]})
                    expected.append(
                        {weekAgo.secsTo(QDateTime::fromString(QString::fromLatin1(moment), Qt::ISODateWithMs))
                             / (7.0 * 86400),
                         field[6].toDouble() / 100});
            }
            const QList<QPointF> period = points(charts[i].runs);
            QCOMPARE(period.size(), expected.size());
            for (qsizetype j = 0; j < period.size(); ++j)
                QVERIFY(qAbs(period[j].x() - expected[j].x()) < 1e-9 && period[j].y() == expected[j].y());
            // The row's chart: the latest of the same readings, up to now.
            const QList<QPointF> window = points(panel.rows[i].chart->runs);
            QVERIFY(window.size() > 2 && window.size() <= expected.size());
            for (qsizetype j = 1; j <= window.size(); ++j)
                QCOMPARE(window[window.size() - j].y(), expected[expected.size() - j].y());
            QCOMPARE(window.last().x(), panel.rows[i].chart->nowX);
        }
    }

    // quotix status projects from the tray's recent record where it has one,
    // says so, and falls back quietly when the record cannot be read.
    void statusProjectsFromTheRecordedRate()
    {
        QTemporaryDir home;
        qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(u"data"_s)));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(u"config"_s)));
        const auto status = [](const QStringList &arguments) {
            const ChildRun run
                = runChild(QStringLiteral(QUOTIX_EXECUTABLE), QStringList{u"status"_s, u"--demo"_s} + arguments);
            QHash<QString, QJsonObject> projections;
            for (const QJsonValue &limit : run.json[u"providers"_s][0][u"usage"_s][u"limits"_s].toArray())
                projections.insert(limit[u"name"_s].toString(), limit[u"projection"_s].toObject());
            return std::tuple{run.exitCode, projections, run.err};
        };
        const QString path = HistoryStore::demoPath();
        {
            // The demo's session: 34 % now, reset in 2h 17m. From 4 % an hour
            // ago that is 30 %/h, so the 66 % left lasts 2h 12m: before the reset,
            // which the session's average since its start (behind pace) never says.
            QString notice;
            auto store = HistoryStore::openForWriting(path, &notice);
            const QDateTime now = QDateTime::currentDateTimeUtc();
            const QDateTime reset = now.addSecs(2 * 3600 + 17 * 60);
            for (const auto &[minutesAgo, used] : {std::pair{60, 4.0}, {30, 19.0}})
                QVERIFY(store->record(u"claude"_s,
                                      {UsageLimit{u"Session (5h)"_s, used, reset, LimitKind::Session, 18000}},
                                      now.addSecs(-minutesAgo * 60)));
        }
        const auto [code, recorded, err] = status({u"--json"_s});
        QCOMPARE(code, 0);
        QCOMPARE(recorded[u"Session (5h)"_s][u"basis"_s].toString(), u"lastHour"_s);
        QVERIFY(recorded[u"Session (5h)"_s][u"text"_s].toString().startsWith(
            u"At the last hour's rate: runs out in 2h 1"_s));
        QCOMPARE(recorded[u"Weekly (7d)"_s][u"basis"_s].toString(), u"window"_s); // nothing recorded of it

        QFile::remove(path + u"-wal"_s);
        QVERIFY(writeFile(path, "not a database, not for status to mend"));
        const auto [fallbackCode, fallback, fallbackErr] = status({u"--json"_s});
        QVERIFY2(fallbackCode == 0 && fallbackErr.isEmpty(), fallbackErr.constData());
        QVERIFY(fallback[u"Session (5h)"_s].isEmpty());
        QCOMPARE(fallback[u"Weekly (7d)"_s][u"basis"_s].toString(), u"window"_s);
        QCOMPARE(readFile(path), "not a database, not for status to mend"_ba);
    }

    // The one-shot commands start quickly because they leave the GUI libraries out.
    void theCommandLoadsNoGuiLibrary()
    {
        QProcess ldd;
        ldd.start(u"ldd"_s, {QStringLiteral(QUOTIX_STATUS_EXECUTABLE)});
        QVERIFY(ldd.waitForFinished());
        const QByteArray libraries = ldd.readAllStandardOutput();
        QVERIFY(libraries.contains("libQt6Core"));
        QVERIFY2(!libraries.contains("libQt6Gui") && !libraries.contains("libQt6Widgets"), libraries.constData());
    }
};

QTEST_GUILESS_MAIN(TestHistory)
#include "test_history.moc"
