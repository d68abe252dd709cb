// Wakes come from logind's PrepareForSleep(false) on the system bus; a
// private bus stands in for it. Each wake gives exactly one refresh, after
// the pause; without logind nothing happens and nothing is said.
#include "platform/linux/BootClockUptime.h"
#include "platform/linux/LogindWakeMonitor.h"
#include "tray/RefreshScheduler.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

class TestWake : public QObject
{
    Q_OBJECT

    QDBusConnection m_logind = QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"logind"_s);

    void prepareForSleep(bool start)
    {
        QVERIFY(m_logind.send(QDBusMessage::createSignal(u"/org/freedesktop/login1"_s,
                                                         u"org.freedesktop.login1.Manager"_s, u"PrepareForSleep"_s)
                              << start));
    }

private Q_SLOTS:
    void oneRefreshPerWakeAfterThePauseOnlyWithLogind()
    {
        QTest::failOnWarning(QRegularExpression(u".*"_s)); // without logind, nothing is said either
        LogindWakeMonitor absent(QDBusConnection::sessionBus());
        QVERIFY(!absent.isWatching());
        QSignalSpy woke(&absent, &WakeMonitor::woke);
        prepareForSleep(false);
        QTest::qWait(100);
        QCOMPARE(woke.size(), 0);
        QVERIFY(!LogindWakeMonitor(QDBusConnection(u"never-connected"_s)).isWatching());

        QVERIFY(m_logind.registerService(u"org.freedesktop.login1"_s));
        LogindWakeMonitor monitor(QDBusConnection::sessionBus());
        BootClockUptime uptime; // read only by startFetching(), not called here
        RefreshScheduler scheduler(&uptime, &monitor, RefreshScheduler::Timing{80ms});
        QSignalSpy refreshes(&scheduler, &RefreshScheduler::refreshRequested);

        prepareForSleep(true); // going to sleep: nothing to do
        prepareForSleep(false);
        QVERIFY(QSignalSpy(&monitor, &WakeMonitor::woke).wait());
        QElapsedTimer sinceWake;
        sinceWake.start();
        QTRY_COMPARE(refreshes.size(), 1);
        QVERIFY2(sinceWake.elapsed() >= 60, "the refresh waits for the pause");
        QTest::qWait(150);
        QCOMPARE(refreshes.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestWake)
#include "test_wake.moc"
