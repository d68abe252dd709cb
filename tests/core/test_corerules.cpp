// The pure rules of the usage model: messages, bands, the
// interval setting, reset countdowns and the alert state machine.
#include "core/Bands.h"
#include "core/Preferences.h"
#include "core/ProviderError.h"
#include "core/RefreshInterval.h"
#include "core/ThresholdAlerts.h"
#include "core/UsageModel.h"
#include "presentation/TimeFormat.h"

#include <QTest>
#include <QTimeZone>

#include <limits>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

class TestCoreRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void errorMessages_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("expected");
        QTest::newRow("network") << ProviderError::networkError(u"offline"_s).errorDescription()
                                 << u"Network error: offline"_s;
        QTest::newRow("401 reads as expired")
            << ProviderError::apiError(401).errorDescription() << u"Authentication expired."_s;
        QTest::newRow("negative") << ProviderError::apiError(-7).errorDescription() << u"API error (code: -7)"_s;
    }
    void errorMessages()
    {
        QFETCH(QString, message);
        QFETCH(QString, expected);
        QCOMPARE(message, expected);
    }

    void bandsAndPercentText_data()
    {
        QTest::addColumn<double>("utilization");
        QTest::addColumn<int>("color");
        QTest::addColumn<QString>("text");
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("69.99") << 69.99 << int(NamedColor::Green) << u"69%"_s;
        QTest::newRow("70") << 70.0 << int(NamedColor::Yellow) << u"70%"_s;
        QTest::newRow("89.99") << 89.99 << int(NamedColor::Yellow) << u"89%"_s;
        QTest::newRow("90") << 90.0 << int(NamedColor::Red) << u"90%"_s;
        QTest::newRow("100.7") << 100.7 << int(NamedColor::Red) << u"100%"_s;
        QTest::newRow("-0.5 truncates to 0") << -0.5 << int(NamedColor::Green) << u"0%"_s;
        QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << int(NamedColor::Green) << u"--%"_s;
        QTest::newRow("infinity") << inf << int(NamedColor::Red) << u"--%"_s;
        QTest::newRow("beyond 64 bits") << 1e300 << int(NamedColor::Red) << u"--%"_s;
    }
    void bandsAndPercentText()
    {
        QFETCH(double, utilization);
        QFETCH(int, color);
        QFETCH(QString, text);
        QCOMPARE(int(bandColor(utilization)), color);
        QCOMPARE(percentText(utilization), text);
    }

    void refreshIntervalRule_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<qint64>("expectedMs");
        QTest::newRow("missing") << QVariant() << qint64(120'000);
        QTest::newRow("30") << QVariant(30) << qint64(30'000);
        QTest::newRow("text from the settings file") << QVariant(u"30"_s) << qint64(30'000);
        QTest::newRow("half a second") << QVariant(0.5) << qint64(500);
        QTest::newRow("zero") << QVariant(0) << qint64(120'000);
        QTest::newRow("negative") << QVariant(-10) << qint64(120'000);
        QTest::newRow("not a number") << QVariant(u"soon"_s) << qint64(120'000);
        QTest::newRow("too long for a timer is kept within one")
            << QVariant(1e12) << qint64(std::numeric_limits<int>::max());
        QTest::newRow("tiny stays at least a millisecond") << QVariant(1e-9) << qint64(1);
    }
    void refreshIntervalRule()
    {
        QFETCH(QVariant, stored);
        QFETCH(qint64, expectedMs);
        QCOMPARE(refreshIntervalFromSetting(stored).count(), expectedMs);
    }

    void timeRemaining_data()
    {
        QTest::addColumn<qint64>("msAhead");
        QTest::addColumn<QString>("expected");
        QTest::newRow("5 s past") << qint64(-5000) << u"now"_s;
        QTest::newRow("exactly now") << qint64(0) << u"now"_s;
        QTest::newRow("59 s") << qint64(59'000) << u"in 0m"_s;
        QTest::newRow("an hour less a tenth") << qint64(3'599'900) << u"in 59m"_s;
        QTest::newRow("an hour") << qint64(3'600'000) << u"in 1h 0m"_s;
        QTest::newRow("25 h less a second") << qint64(89'999'000) << u"in 24h 59m"_s;
        QTest::newRow("25 h") << qint64(90'000'000) << u"in 1d 1h"_s;
        QTest::newRow("200000 s") << qint64(200'000'000) << u"in 2d 7h"_s;
    }
    void timeRemaining()
    {
        QFETCH(qint64, msAhead);
        QFETCH(QString, expected);
        const QDateTime now = QDateTime::fromMSecsSinceEpoch(1'765'000'000'000, QTimeZone::utc());
        QCOMPARE(formatTimeRemaining(now.addMSecs(msAhead), now), expected);
    }

    void alertsFollowTheClimbAndTheFall()
    {
        struct Step
        {
            double max;
            QList<int> crossed;
            QSet<int> after;
        };
        const QList<int> thresholds{80, 90};
        const QList<Step> climb{
            {85.0, {80}, {80}},   {85.9, {}, {80}},     {92.0, {90}, {80, 90}},
            {85.0, {}, {80, 90}}, {95.0, {}, {80, 90}}, {79.9, {}, {}},
            {80.0, {80}, {80}},   {10.0, {}, {}},       {100.0, {80, 90}, {80, 90}},
        };
        QSet<int> notified;
        for (const Step &step : climb) {
            const ThresholdCheck check = checkThresholds(notified, step.max, thresholds);
            QCOMPARE(check.crossed, step.crossed);
            QCOMPARE(check.notified, step.after);
            notified = check.notified;
        }
        QCOMPARE(alertTitle(u"Claude"_s), u"Claude Usage Alert"_s);
        QCOMPARE(alertBody(85.9), u"Usage is at 85%"_s);
        QCOMPARE(alertBody(100.0), u"Usage is at 100%"_s);
    }

    void displayModeSetting()
    {
        QCOMPARE(displayModeFromSetting(QVariant()), DisplayMode::Weekly);
        QCOMPARE(displayModeFromSetting(u"session"_s), DisplayMode::Session);
        QCOMPARE(displayModeFromSetting(u"Session"_s), DisplayMode::Weekly);
        QCOMPARE(displayModeFromSetting(u"hourly"_s), DisplayMode::Weekly);
    }
};

QTEST_GUILESS_MAIN(TestCoreRules)
#include "test_corerules.moc"
