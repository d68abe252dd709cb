// The rules of the usage model and of its settings: messages, percentages,
// the settings' fallbacks, settings changes reaching their listeners whoever
// writes them, the login-item switch, reset countdowns and the alert state machine.
#include "core/Bands.h"
#include "core/LaunchAtLogin.h"
#include "core/Logging.h"
#include "core/Preferences.h"
#include "core/ProviderError.h"
#include "core/RefreshInterval.h"
#include "core/ThresholdAlerts.h"
#include "presentation/TimeFormat.h"
#include "support/RecordingLoginItems.h"
#include "support/StreamCapture.h"

#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include <limits>

using namespace Qt::StringLiterals;

class TestCoreRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Band edges and ordinary figures are covered where the panel shows them.
    void messagesAndPercentagesOutOfTheOrdinary()
    {
        QCOMPARE(percentText(-0.5), u"0%"_s);   // truncated towards zero, without a sign
        QCOMPARE(percentText(1e300), u"--%"_s); // beyond 64 bits
        QCOMPARE(bandColor(1e300), NamedColor::Red);
    }

    // Warnings reach the journal unasked; info and debug wait for a rule.
    void loggingShowsWarningsByDefault()
    {
        for (const QLoggingCategory *category : {&lcRefresh(), &lcNetwork(), &lcPanel()}) {
            QVERIFY2(category->isWarningEnabled(), category->categoryName());
            QVERIFY2(!category->isInfoEnabled() && !category->isDebugEnabled(), category->categoryName());
        }
    }

    void badSettingsFallBackToTheDefaults_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<qint64>("expectedMs");
        QTest::newRow("missing") << QVariant() << qint64(120'000);
        QTest::newRow("text from the settings file") << QVariant(u"90"_s) << qint64(90'000);
        // The services rate-limit fast pollers: never closer than a minute.
        QTest::newRow("under a minute") << QVariant(u"30"_s) << qint64(60'000);
        QTest::newRow("half a second") << QVariant(0.5) << qint64(60'000);
        QTest::newRow("a minute and a half second") << QVariant(60.5) << qint64(60'500);
        QTest::newRow("zero") << QVariant(0) << qint64(120'000);
        QTest::newRow("negative") << QVariant(-10) << qint64(120'000);
        QTest::newRow("not a number") << QVariant(u"soon"_s) << qint64(120'000);
        QTest::newRow("the mode's word, capitalised") << QVariant(u"Session"_s) << qint64(120'000);
        QTest::newRow("NaN") << QVariant(std::numeric_limits<double>::quiet_NaN()) << qint64(120'000);
        QTest::newRow("too long for a timer is kept within one")
            << QVariant(1e12) << qint64(std::numeric_limits<int>::max());
        QTest::newRow("tiny") << QVariant(1e-9) << qint64(60'000);
    }
    void badSettingsFallBackToTheDefaults()
    {
        QFETCH(QVariant, stored);
        QFETCH(qint64, expectedMs);
        QCOMPARE(refreshIntervalFromSetting(stored).count(), expectedMs);
        // Only the exact word "session" chooses the other mode.
        QCOMPARE(displayModeFromSetting(stored), DisplayMode::Weekly);
    }

    void aChangeIsAnnouncedOnceWhoeverWritesIt()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"Quotix.conf"_s);
        QSettings settings(path, QSettings::IniFormat);
        Preferences preferences(&settings);
        QSignalSpy changed(&preferences, &Preferences::changed);

        preferences.setDisplayMode(DisplayMode::Session);
        QCOMPARE(settings.value(u"menuBarDisplayMode"_s).toString(), u"session"_s);
        // Our own write touches the file; that must not announce the change again.
        QTest::qWait(300);
        QCOMPARE(changed.size(), 1);

        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[General]\nrefreshInterval=30\n");
        file.close();
        QTRY_COMPARE(preferences.refreshIntervalValue().toString(), u"30"_s);
        QCOMPARE(preferences.displayMode(), DisplayMode::Weekly);
        QVERIFY(changed.size() >= 2);
    }

    void theLoginSwitchAsksTheSystemOnEveryAssignment()
    {
        RecordingLoginItems items(true, u"Permission denied"_s); // refuses every change
        LaunchAtLogin launch(&items);
        QVERIFY(launch.isEnabled() && items.calls.isEmpty()); // the system's state, read without registering

        QSignalSpy changed(&launch, &LaunchAtLogin::enabledChanged);
        QSignalSpy failed(&launch, &LaunchAtLogin::failed);
        const QByteArray out = captureStream(STDOUT_FILENO, [&] {
            launch.setEnabled(true);
            launch.setEnabled(false);
        });
        QCOMPARE(items.calls, (QStringList{u"register"_s, u"unregister"_s}));
        // A failed switch shows what the system holds, and says why.
        QCOMPARE(changed.size(), 2);
        QVERIFY(launch.isEnabled());
        QCOMPARE(failed.size(), 2);
        QCOMPARE(failed.at(1).at(0).toString(), u"Failed to disable launch at login: Permission denied"_s);
        QCOMPARE(out,
                 "Failed to enable launch at login: Permission denied\n"
                 "Failed to disable launch at login: Permission denied\n"_ba);
    }

    void timeRemaining()
    {
        const QDateTime now = QDateTime::fromMSecsSinceEpoch(1'765'000'000'000, QTimeZone::utc());
        // Milliseconds ahead: past, now, and either side of a minute, an hour and a day.
        const QList<std::pair<qint64, const char *>> cases{
            {-5000, "now"},           {0, "now"},
            {59'000, "in 0m"},        {3'599'900, "in 59m"},
            {3'600'000, "in 1h 0m"},  {89'999'000, "in 24h 59m"},
            {90'000'000, "in 1d 1h"},
        };
        for (const auto &[msAhead, expected] : cases)
            QCOMPARE(formatTimeRemaining(now.addMSecs(msAhead), now), QLatin1StringView(expected));
    }

    void alertsFollowTheClimbAndTheFall()
    {
        // The highest figure of each check, the thresholds it crosses, those alerted after it.
        const QList<std::tuple<double, QList<int>, QSet<int>>> climb{
            {85.0, {80}, {80}},   {85.9, {}, {80}},     {92.0, {90}, {80, 90}},
            {85.0, {}, {80, 90}}, {95.0, {}, {80, 90}}, {79.9, {}, {}},
            {80.0, {80}, {80}},   {10.0, {}, {}},       {100.0, {80, 90}, {80, 90}},
        };
        QSet<int> notified;
        for (const auto &[max, crossed, after] : climb) {
            const ThresholdCheck check = checkThresholds(notified, max, {80, 90});
            QCOMPARE(check.crossed, crossed);
            QCOMPARE(check.notified, after);
            notified = check.notified;
        }
    }
};

QTEST_GUILESS_MAIN(TestCoreRules)
#include "test_corerules.moc"
