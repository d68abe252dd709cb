// The alerts a user chooses: thresholds per provider from the settings, the
// alert when a window that reached the top resets, the run-out alert once per
// window, each one switchable; the fixed thresholds' climb and fall, and the
// figure an alert shows.
#include "core/AlertRules.h"
#include "core/Bands.h"
#include "core/ThresholdAlerts.h"
#include "core/UtcZone.h"
#include "support/DataRows.h"
#include "support/Files.h"
#include "support/ManagerFixture.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

ProviderUsageResponse weekly(double used, const QDateTime &reset)
{
    return ProviderUsageResponse{{UsageLimit{u"Weekly"_s, used, reset, LimitKind::Weekly, 604800}}};
}

} // namespace

class TestAlerts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void thresholdsFromTheSettings_data()
    {
        addColumns<QVariant, QList<int>>("stored", "expected");
        const QList<int> defaults{80, 90};
        QTest::newRow("missing") << QVariant() << defaults;
        QTest::newRow("a list, unordered, repeated") << QVariant(QStringList{u" 95"_s, u"60"_s, u"95"_s})
                                                      << QList<int>{60, 95};
        QTest::newRow("text with commas") << QVariant(u"50,70, 90"_s) << QList<int>{50, 70, 90};
        QTest::newRow("zero") << QVariant(u"0, 50"_s) << defaults;
        QTest::newRow("above 100") << QVariant(u"150"_s) << defaults;
        QTest::newRow("a word") << QVariant(u"80, ninety"_s) << defaults;
        QTest::newRow("empty") << QVariant(QString()) << defaults;
    }
    void thresholdsFromTheSettings()
    {
        const auto [stored, expected] = fetchRow<QVariant, QList<int>>("stored", "expected");
        QCOMPARE(thresholdsFromSetting(stored), expected);
    }

    void rulesArePerProviderAndSwitchable()
    {
        QTemporaryDir dir;
        // As a user writes it by hand.
        const QString path = dir.filePath(u"Quotix.conf"_s);
        QVERIFY(writeFile(path, "[alerts]\nclaude\\thresholds=75, 50\nclaude\\resetAlerts=false\n"
                                "codex\\runOutAlerts=off\n"));
        QSettings settings(path, QSettings::IniFormat);
        const AlertRules claude = alertRulesFromSettings(settings, u"claude"_s);
        QCOMPARE(claude.thresholds, (QList<int>{50, 75}));
        QVERIFY(claude.thresholdAlerts && !claude.resetAlerts && claude.runOutAlerts);
        const AlertRules codex = alertRulesFromSettings(settings, u"codex"_s);
        QCOMPARE(codex.thresholds, (QList<int>{80, 90}));
        QVERIFY(codex.thresholdAlerts && codex.resetAlerts && !codex.runOutAlerts);
    }

    // The highest figure of each check in turn: the thresholds it crosses, those alerted after it.
    void thresholdsFollowTheClimbAndTheFall()
    {
        const QList<std::tuple<double, QList<int>, QSet<int>>> climb{
            {85.0, {80}, {80}},   {85.9, {}, {80}},     {92.0, {90}, {80, 90}},
            {85.0, {}, {80, 90}}, {95.0, {}, {80, 90}}, {79.9, {}, {}},
            {80.0, {80}, {80}},   {10.0, {}, {}},       {100.0, {80, 90}, {80, 90}},
        };
        QSet<int> notified;
        for (qsizetype i = 0; i < climb.size(); ++i) {
            const auto &[max, crossed, after] = climb.at(i);
            const ThresholdCheck check = checkThresholds(notified, max, {80, 90});
            QVERIFY2(check.crossed == crossed && check.notified == after, qPrintable(u"check %1"_s.arg(i)));
            notified = check.notified;
        }
    }

    // The figure is cut, never rounded up past what was used.
    void theAlertShowsTheFigureCut_data()
    {
        addColumns<double, QString>("used", "body");
        QTest::newRow("a fraction") << 85.9 << u"Usage is at 85%"_s;
        QTest::newRow("below zero, without a sign") << -0.5 << u"Usage is at 0%"_s;
        QTest::newRow("beyond 64 bits") << 1e300 << u"Usage is at --%"_s;
    }
    void theAlertShowsTheFigureCut()
    {
        const auto [used, body] = fetchRow<double, QString>("used", "body");
        QCOMPARE(alertBody(used), body);
    }

    // Each chosen alert fires once; switched off, none does.
    void chosenAlertsFireOnceEach_data()
    {
        QTest::addColumn<bool>("switchedOn");
        QTest::newRow("on") << true;
        QTest::newRow("off") << false;
    }
    void chosenAlertsFireOnceEach()
    {
        QFETCH(bool, switchedOn);
        ManagerFixture f(false);
        f.manager.setAlertRules(u"claude"_s, AlertRules{{50}, switchedOn, switchedOn, switchedOn});
        // Stands in for the pace: "runs out" from 60 % on.
        f.manager.setRunOutProjection([](const QString &, const UsageLimit &limit, const QDateTime &) {
            return limit.utilization >= 60 ? std::optional(u"At this pace: runs out in 1h 0m"_s) : std::nullopt;
        });

        const QDateTime now = QDateTime::currentDateTimeUtc();
        const QDateTime firstReset = now.addSecs(3600);
        const QDateTime nextReset = now.addDays(8);
        f.first->script({{weekly(55.9, firstReset)},
                         {weekly(65, firstReset.addSecs(2))}, // a reset that wanders is the same window
                         {weekly(70, firstReset)},
                         {weekly(3, nextReset)},
                         {weekly(4, nextReset)}});
        using Sent = QList<std::pair<QString, QString>>;
        const QString title = u"Claude Usage Alert"_s;
        // The threshold alert names its limit (no detail function here: the name alone);
        // its figure is 55.9 cut.
        const QList<Sent> expected{{{title, u"Usage is at 55%\nWeekly"_s}},
                                   {{title, u"Weekly: At this pace: runs out in 1h 0m"_s}},
                                   {},
                                   {{title, u"Claude weekly limit has reset"_s}},
                                   {}};
        for (const Sent &sent : expected) {
            f.notifications.sent.clear();
            QVERIFY(f.refreshAndWait());
            QCOMPARE(f.notifications.sent, switchedOn ? sent : Sent{});
        }
    }

    void aWindowEndsWhenItsResetPassesOrMovesOn()
    {
        const QDateTime now(QDate(2026, 3, 2), QTime(12, 0), utcZone());
        const UsageLimit at95{u"Session"_s, 95, now.addSecs(3600), LimitKind::Session, 18000};
        LimitAlertCheck check = checkLimitAlerts(std::nullopt, at95, now, 90, false);
        QVERIFY(check.state.reachedTop && !check.hasReset);
        // The reset time passed and the service reports no new window yet.
        const UsageLimit idle{u"Session"_s, 0, std::nullopt, LimitKind::Session, 18000};
        QVERIFY(checkLimitAlerts(check.state, idle, now.addSecs(3599), 90, false).hasReset == false);
        const LimitAlertCheck after = checkLimitAlerts(check.state, idle, now.addSecs(3600), 90, false);
        QVERIFY(after.hasReset);
        QVERIFY(!after.state.reachedTop && !after.state.resetTime);
        // A service still telling the full window past its reset: the reset is told once.
        const LimitAlertCheck told = checkLimitAlerts(check.state, at95, now.addSecs(3660), 90, false);
        QVERIFY(told.hasReset);
        const LimitAlertCheck again = checkLimitAlerts(told.state, at95, now.addSecs(3780), 90, true);
        QVERIFY(!again.hasReset && !again.runsOut);
        // Below the highest threshold a reset goes unannounced.
        UsageLimit at85 = at95;
        at85.utilization = 85;
        const LimitAlertCheck low = checkLimitAlerts(std::nullopt, at85, now, 90, false);
        UsageLimit moved = at85;
        moved.resetTime = now.addSecs(5 * 3600);
        QVERIFY(!checkLimitAlerts(low.state, moved, now.addSecs(60), 90, false).hasReset);
        QCOMPARE(resetAlertBody(u"Codex"_s, UsageLimit{u"Code review"_s, 0}), u"Codex Code review limit has reset"_s);
    }
};

QTEST_GUILESS_MAIN(TestAlerts)
#include "test_alerts.moc"
