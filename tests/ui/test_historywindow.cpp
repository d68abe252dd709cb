// The History window over a recorded history: periods, marks, nothing recorded.
#include "core/UtcZone.h"
#include "ui/HistoryWindow.h"
#include "ui/ScrollStack.h"
#include "ui/SegmentedPicker.h"

#include <QAbstractButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QDateTime Now(QDate(2026, 3, 30), QTime(12, 0), utcZone());

// A week-long limit used up at `fullDaysAgo`, reset two days later, then a
// fresh window at 20 %.
QList<HistorySample> weekUsedUp(int fullDaysAgo)
{
    const QDateTime full = Now.addDays(-fullDaysAgo);
    const QDateTime reset = full.addDays(2);
    const auto sample = [](double used, const QDateTime &from, const QDateTime &until, const QDateTime &reset) {
        return HistorySample{u"claude"_s, u"Weekly"_s, LimitKind::Weekly, 7 * 86400, used, reset, from, until};
    };
    return {sample(70, full.addSecs(-600), full.addSecs(-120), reset), sample(100, full, reset.addSecs(-60), reset),
            sample(20, reset, Now, reset.addDays(7))};
}

} // namespace

class TestHistoryWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void showsEachPeriodWithItsMarks()
    {
        QList<QDateTime> asked;
        const QList<HistorySample> history = weekUsedUp(20);
        HistoryWindow window(
            [&](const QDateTime &since) {
                asked.append(since);
                QList<HistorySample> result;
                for (const HistorySample &s : history) {
                    if (s.until >= since)
                        result.append(s);
                }
                return result;
            },
            {{u"claude"_s, u"Claude"_s}});

        // Seven days back: the fresh window only, no reset or hit inside.
        window.reload(Now);
        QCOMPARE(asked.last(), Now.addDays(-7));
        QCOMPARE(window.charts().size(), 1);
        QVERIFY(window.charts().first().resets.isEmpty() && window.charts().first().reached.isEmpty());
        QVERIFY(!window.showsEmptyText());

        // Thirty days: the hit twenty days ago and the reset two days later.
        QTest::mouseClick(window.periodPicker()->segment(1), Qt::LeftButton);
        QCOMPARE(asked.last().daysTo(QDateTime::currentDateTimeUtc()), 30);
        window.reload(Now);
        const HistoryChart &chart = window.charts().first();
        QCOMPARE(chart.reached.size(), 1);
        QCOMPARE(chart.resets.size(), 1);
        QVERIFY(qAbs(chart.reached.first() - 10.0 / 30) < 0.001);
        QVERIFY(qAbs(chart.resets.first() - 12.0 / 30) < 0.001);

        // Drawn at its size, on a dark palette as on a light one, without fault.
        window.resize(560, 300);
        QPalette dark = window.palette();
        dark.setColor(QPalette::Window, QColor(0x1e, 0x1e, 0x1e));
        dark.setColor(QPalette::WindowText, Qt::white);
        window.setPalette(dark);
        QVERIFY(!window.grab().isNull());
    }

    // Eight limits are taller than the 600 px test screen: the window fits
    // it, its picker stays in view, and the charts scroll.
    void manyChartsScrollOnAShortScreen()
    {
        const QDateTime now = QDateTime::currentDateTimeUtc(); // shown, it reads up to the clock's time
        QList<HistorySample> history;
        for (int i = 0; i < 8; ++i)
            history.append(HistorySample{u"claude"_s, u"Model %1"_s.arg(i), LimitKind::Weekly, 7 * 86400, 10.0 * i,
                                         now.addDays(3), now.addDays(-2), now});
        HistoryWindow window([&](const QDateTime &) { return history; }, {{u"claude"_s, u"Claude"_s}});
        window.resize(560, 480);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.charts().size(), 8);
        ScrollStack *charts = window.chartsArea();
        QVERIFY(charts->heightForWidth(charts->width()) > charts->height());
        const int available = window.screen()->availableGeometry().height();
        QVERIFY(window.frameGeometry().height() <= available);
        QWidget *picker = window.periodPicker();
        QVERIFY(window.rect().contains(QRect(picker->mapTo(&window, QPoint()), picker->size())));
        QTRY_VERIFY(charts->verticalScrollBar()->isVisible());

        // Few enough when opened again, it is as tall as they are.
        history.resize(1);
        window.hide();
        window.show();
        QTRY_VERIFY(!charts->verticalScrollBar()->isVisible());
        QVERIFY(window.height() < available / 2);

        // A height set by hand outlives closing and opening again.
        const int chosen = window.height() + 120;
        window.resize(window.width(), chosen);
        window.hide();
        window.show();
        QCOMPARE(window.height(), chosen);
    }

    void nothingRecorded()
    {
        HistoryWindow window([](const QDateTime &) { return QList<HistorySample>{}; }, {});
        window.reload(Now);
        QVERIFY(window.charts().isEmpty());
        QVERIFY(window.showsEmptyText());
        HistoryWindow withoutSource({}, {});
        withoutSource.reload(Now);
        QVERIFY(withoutSource.showsEmptyText());
    }
};

QTEST_MAIN(TestHistoryWindow)
#include "test_historywindow.moc"
