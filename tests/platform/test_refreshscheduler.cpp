// The refreshes the application starts on its own. The first after launch
// comes at once on a machine up a minute, else at about 30 s after boot but
// never sooner than 5 s. Wakes come from logind's PrepareForSleep(false) on
// the system bus, for which a private bus stands in: each gives exactly one
// refresh, after the pause; without logind nothing happens and nothing is said.
#include "core/ClockWakeMonitor.h"
#include "platform/linux/BootClockUptime.h"
#include "platform/linux/LogindWakeMonitor.h"
#include "tray/RefreshScheduler.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <cmath>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

class TestRefreshScheduler : public QObject
{
    Q_OBJECT

    QDBusConnection m_logind = QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"logind"_s);

private Q_SLOTS:
    void firstRefreshWaitsOnTheUptime()
    {
        for (const auto &[uptime, delay] :
             {std::pair{0.0, 30'000ms}, {24.5, 5'500ms}, {59.9, 5'000ms}, {60.0, 0ms}, {std::nan(""), 0ms}})
            QCOMPARE(firstRefreshDelay(uptime), delay);
        QVERIFY(BootClockUptime().seconds().value_or(0) > 0);

        struct NoUptime : UptimeSource
        {
            std::optional<double> seconds() const override { return std::nullopt; }
        } unknown;
        WakeMonitor noWakes;
        RefreshScheduler scheduler(&unknown, &noWakes, RefreshScheduler::Timing{});
        QSignalSpy refreshes(&scheduler, &RefreshScheduler::refreshRequested);
        scheduler.startFetching();
        QCOMPARE(refreshes.size(), 0); // never from inside the call
        QTRY_COMPARE(refreshes.size(), 1);
    }

    void oneRefreshPerWakeAfterThePauseOnlyWithLogind()
    {
        QTest::failOnWarning(QRegularExpression(u".*"_s)); // without logind, nothing is said either
        const auto sessionBus = [] { return QDBusConnection::sessionBus(); };
        LogindWakeMonitor withoutLogind(sessionBus);
        LogindWakeMonitor withoutBus([] { return QDBusConnection(u"never-connected"_s); });
        QCOMPARE(withoutLogind.isWatching(), std::nullopt); // not before the event loop turns
        QTRY_COMPARE(withoutLogind.isWatching(), false);
        QTRY_COMPARE(withoutBus.isWatching(), false);

        QVERIFY(m_logind.registerService(u"org.freedesktop.login1"_s));
        LogindWakeMonitor monitor(sessionBus);
        QTRY_COMPARE(monitor.isWatching(), true);
        BootClockUptime uptime; // read only by startFetching(), not called here
        RefreshScheduler scheduler(&uptime, &monitor, RefreshScheduler::Timing{80ms});
        QSignalSpy refreshes(&scheduler, &RefreshScheduler::refreshRequested);

        QElapsedTimer sinceWake;
        sinceWake.start();
        for (bool start : {true, false}) // going to sleep, then waking: only the wake counts
            QVERIFY(m_logind.send(QDBusMessage::createSignal(u"/org/freedesktop/login1"_s,
                                                             u"org.freedesktop.login1.Manager"_s, u"PrepareForSleep"_s)
                                  << start));
        QTRY_COMPARE(refreshes.size(), 1);
        QVERIFY2(sinceWake.elapsed() >= 80, "the refresh waits for the pause");
        QTest::qWait(150);
        QCOMPARE(refreshes.size(), 1);
    }

    // Without logind (quotix status --follow): a wake shows as the clock that
    // counts sleep running ahead of the one that does not, once per sleep.
    void aWakeShowsAsTheClocksDrawingApart()
    {
        std::chrono::milliseconds withSleep{900'000}, awake{5'000};
        ClockWakeMonitor monitor(10ms, nullptr, [&] { return withSleep; }, [&] { return awake; });
        QSignalSpy woke(&monitor, &WakeMonitor::woke);
        for (const auto &[slept, wakes] : {std::pair{0ms, 0}, {900ms, 0}, {std::chrono::milliseconds(10min), 1}, {0ms, 1},
                                           {1500ms, 1}, {1500ms, 2}}) {
            withSleep += 5s + slept;
            awake += 5s;
            QTest::qWait(40);
            QCOMPARE(woke.size(), wakes);
        }
    }
};

QTEST_GUILESS_MAIN(TestRefreshScheduler)
#include "test_refreshscheduler.moc"
