// The panel's chart of a limit's current window, from known histories.
#include "core/UtcZone.h"
#include "presentation/HistoryChart.h"
#include "presentation/WindowChart.h"
#include "support/DataRows.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

// A five-hour window from 10:00 to the reset at 15:00: a minute is 1/300 of it.
const QDateTime Start(QDate(2026, 3, 4), QTime(10, 0), utcZone());
const QDateTime Reset = Start.addSecs(5 * 3600);

// A sample seen from minute `from` to minute `until` of the window, under a
// reset `resetShift` minutes from this window's.
HistorySample sample(int from, int until, double used, int resetShift = 0)
{
    const auto at = [](int minute) { return Start.addSecs(minute * 60); };
    return {u"claude"_s, u"Session"_s, LimitKind::Other, {}, used, Reset.addSecs(resetShift * 60), at(from), at(until)};
}

// "x,y x,y | x,y": the runs, three decimals; "none" when there is no chart.
QString describe(const std::optional<WindowChart> &chart)
{
    if (!chart)
        return u"none"_s;
    QStringList runs;
    for (const QList<QPointF> &run : chart->runs) {
        QStringList points;
        for (const QPointF &p : run)
            points.append(QString::number(p.x(), 'g', 3) + u',' + QString::number(p.y(), 'g', 3));
        runs.append(points.join(u' '));
    }
    return runs.join(u" | "_s);
}

// A sample of limit `limit` seen from hour `from` to hour `until` of a
// ten-hour period starting at Start, under a reset at hour `reset`.
HistorySample hourly(const char *limit, int from, int until, double used, int reset)
{
    HistorySample s = sample(from * 60, until * 60, used);
    s.limit = QString::fromLatin1(limit);
    s.resetTime = Start.addSecs(reset * 3600);
    return s;
}

// "Session: runs 2, resets 0.5, reached 0.3; Weekly: …"
QString describe(const QList<HistoryChart> &charts)
{
    QStringList parts;
    const auto list = [](const QList<double> &xs) {
        QStringList out;
        for (double x : xs)
            out.append(QString::number(x, 'g', 3));
        return out.join(u' ');
    };
    for (const HistoryChart &chart : charts)
        parts.append(u"%1: runs %2, resets %3, reached %4"_s.arg(chart.limit)
                         .arg(chart.runs.size())
                         .arg(list(chart.resets), list(chart.reached)));
    return parts.join(u"; "_s);
}

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

} // namespace

class TestWindowChart : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void runsOfKnownHistories_data()
    {
        addColumns<QList<HistorySample>, bool, QString>("history", "knowsWindow", "expected");

        QTest::newRow("no history") << QList<HistorySample>{} << true << u"none"_s;
        QTest::newRow("one check") << QList{sample(60, 60, 20)} << true << u"0.2,0.2"_s;
        // Each sample is held from its first check to its last, then joined to the next.
        QTest::newRow("runs of equal checks") << QList{sample(0, 30, 10), sample(32, 60, 20)} << true
                                              << u"0,0.1 0.1,0.1 0.107,0.2 0.2,0.2"_s;
        // Thirty minutes without a check: the tray was not running.
        QTest::newRow("a gap") << QList{sample(0, 30, 10), sample(60, 90, 20)} << true
                               << u"0,0.1 0.1,0.1 | 0.2,0.2 0.3,0.2"_s;
        QTest::newRow("an unreadable figure")
            << QList{sample(0, 30, 10), sample(31, 31, NaN), sample(32, 60, 20)} << true
            << u"0,0.1 0.1,0.1 | 0.107,0.2 0.2,0.2"_s;
        // The last window's readings, including one taken after its reset
        // while the service still reported the old one, are not this window's.
        QTest::newRow("a reset inside the range")
            << QList{sample(-120, -2, 90, -300), sample(1, 1, 95, -300), sample(2, 30, 5)} << true
            << u"0.00667,0.05 0.1,0.05"_s;
        QTest::newRow("only earlier windows") << QList{sample(-200, -100, 40, -300)} << true << u"none"_s;
        // A reset that wanders by a minute is the same window.
        QTest::newRow("a wandering reset") << QList{sample(0, 30, 10, 1), sample(31, 60, 12, -1)} << true
                                           << u"0,0.1 0.1,0.1 0.103,0.12 0.2,0.12"_s;
        // A run that began before the window's start, and an over-limit figure.
        QTest::newRow("clipped and clamped") << QList{sample(-30, 30, 130)} << true << u"0,1 0.1,1"_s;
        QTest::newRow("no window length") << QList{sample(60, 60, 20)} << false << u"none"_s;
    }
    void runsOfKnownHistories()
    {
        const auto [history, knowsWindow, expected]
            = fetchRow<QList<HistorySample>, bool, QString>("history", "knowsWindow", "expected");
        UsageLimit limit{u"Session"_s, 20, Reset, LimitKind::Session, std::nullopt};
        if (knowsWindow)
            limit.windowSeconds = 5 * 3600;
        const auto chart = windowChart(limit, history, Start.addSecs(90 * 60));
        QCOMPARE(describe(chart), expected);
        if (chart)
            QCOMPARE(chart->nowX, 0.3); // ninety minutes into five hours
    }

    void historyChartsMarkResetsAndFullLimits_data()
    {
        addColumns<QList<HistorySample>, QString>("history", "expected");

        QTest::newRow("no history") << QList<HistorySample>{} << QString();
        // Up to 100 % at hour 3, reset at hour 5, full again at hour 8.
        QTest::newRow("two windows, both used up")
            << QList{hourly("Session", 1, 2, 60, 5), hourly("Session", 2, 5, 100, 5), hourly("Session", 5, 7, 10, 10),
                     hourly("Session", 7, 8, 90, 10), hourly("Session", 8, 9, 100, 10)}
            << u"Session: runs 1, resets 0.5, reached 0.2 0.8"_s;
        // Staying at 100 % across a gap is one hit; the gap splits the line.
        QTest::newRow("full across a gap") << QList{hourly("Session", 1, 2, 100, 5), hourly("Session", 4, 4, 100, 5)}
                                           << u"Session: runs 2, resets , reached 0.1"_s;
        // A reset wandering by a minute is no reset.
        QTest::newRow("a wandering reset")
            << QList{hourly("Session", 1, 2, 10, 5), [] {
                   HistorySample s = hourly("Session", 2, 3, 20, 5);
                   s.resetTime = s.resetTime->addSecs(60);
                   return s;
               }()}
            << u"Session: runs 1, resets , reached "_s;
        // Before the period: neither its figures nor its hit count; a reset
        // inside it still does.
        QTest::newRow("before the period")
            << QList{hourly("Weekly", -5, -3, 100, 2), hourly("Weekly", 3, 4, 5, 30)}
            << u"Weekly: runs 1, resets 0.2, reached "_s;
        // A window that ends with none after it until the next use.
        QTest::newRow("a window ends, none begins") << QList{hourly("Session", 1, 3, 40, 3), [] {
            HistorySample s = hourly("Session", 3, 4, 0, 0);
            s.resetTime.reset();
            return s;
        }()} << u"Session: runs 1, resets 0.3, reached "_s;
        QTest::newRow("one chart per limit")
            << QList{hourly("Session", 1, 1, 10, 5), hourly("Weekly", 1, 2, 10, 50), hourly("Weekly", 2, 2, 11, 50)}
            << u"Session: runs 1, resets , reached ; Weekly: runs 1, resets , reached "_s;
        QTest::newRow("an unreadable figure") << QList{hourly("Session", 1, 1, 10, 5), hourly("Session", 1, 1, NaN, 5),
                                                       hourly("Session", 2, 2, 30, 5)}
                                              << u"Session: runs 2, resets , reached "_s;
    }
    void historyChartsMarkResetsAndFullLimits()
    {
        const auto [history, expected] = fetchRow<QList<HistorySample>, QString>("history", "expected");
        QCOMPARE(describe(historyCharts(history, Start, Start.addSecs(10 * 3600))), expected);
    }
};

QTEST_GUILESS_MAIN(TestWindowChart)
#include "test_windowchart.moc"
