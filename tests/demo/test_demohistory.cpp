// The made-up history of the screenshots: it ends in the present figures and
// shows what the charts are for (resets, limits used up), the same every time.
#include "core/UtcZone.h"
#include "demo/DemoHistory.h"
#include "presentation/HistoryChart.h"
#include "presentation/WindowChart.h"

#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;

class TestDemoHistory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void endsInThePresentAndMarksAMonth()
    {
        const QDateTime now(QDate(2026, 12, 7), QTime(5, 0), utcZone());
        const QList<UsageLimit> limits{
            {u"Session"_s, 34, now.addSecs(2 * 3600 + 960), LimitKind::Session, 5 * 3600},
            {u"Weekly"_s, 76, now.addSecs(76 * 3600), LimitKind::Weekly, 7 * 86400},
            {u"Unknown window"_s, 10, now.addSecs(3600), LimitKind::Other, std::nullopt}};
        const QList<HistorySample> history = DemoData::history(u"claude"_s, limits, now, 30);
        const QList<HistorySample> again = DemoData::history(u"claude"_s, limits, now, 30);
        QVERIFY(std::equal(history.cbegin(), history.cend(), again.cbegin(), again.cend(), [](auto &a, auto &b) {
            return a.time == b.time && a.utilization == b.utilization;
        })); // the same screenshots every time

        for (const UsageLimit &limit : limits.first(2)) {
            const QList<HistorySample> own = samplesOf(history, u"claude"_s, limit.name);
            QVERIFY(!own.isEmpty());
            QCOMPARE(own.last().utilization, limit.utilization);
            QCOMPARE(own.last().resetTime, limit.resetTime);
            QVERIFY(own.first().time >= now.addDays(-30));
            for (qsizetype i = 1; i < own.size(); ++i)
                QVERIFY2(own.at(i).time >= own.at(i - 1).until, qPrintable(limit.name));
            // The current window climbs to the figure shown, never down.
            const auto chart = windowChart(limit, own, now);
            QVERIFY(chart && chart->runs.size() == 1);
            double last = 0;
            for (const QPointF &p : chart->runs.first()) {
                QVERIFY(p.y() >= last - 1e-9);
                last = p.y();
            }
            QCOMPARE(last, limit.utilization / 100);
        }
        QVERIFY(samplesOf(history, u"claude"_s, u"Unknown window"_s).isEmpty());

        const QList<HistoryChart> month = historyCharts(history, now.addDays(-30), now);
        QCOMPARE(month.size(), 2);
        for (const HistoryChart &chart : month) {
            QVERIFY2(chart.resets.size() >= 4, qPrintable(chart.limit));
            QVERIFY2(!chart.reached.isEmpty(), qPrintable(chart.limit));
        }
    }
};

QTEST_GUILESS_MAIN(TestDemoHistory)
#include "test_demohistory.moc"
