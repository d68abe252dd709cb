// Wakes come from logind's PrepareForSleep(false) on the system bus; a
// private bus stands in for it. Each wake gives exactly one refresh, after
// the pause; without logind nothing happens and nothing is said.
#include "LogindWakeMonitor.h"
#include "RefreshScheduler.h"
#include "UptimeSource.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

class LongUptime : public UptimeSource
{
public:
    std::optional<double> seconds() const override { return 3600.0; }
};

QDBusConnection privateBus(const QString &name)
{
    return QDBusConnection::connectToBus(QString::fromLocal8Bit(qgetenv("DBUS_SESSION_BUS_ADDRESS")), name);
}

} // namespace

class TestWake : public QObject
{
    Q_OBJECT

    QDBusConnection m_logind = privateBus(u"logind"_s);

    void prepareForSleep(bool start)
    {
        QDBusMessage signal = QDBusMessage::createSignal(u"/org/freedesktop/login1"_s,
                                                         u"org.freedesktop.login1.Manager"_s, u"PrepareForSleep"_s);
        signal << start;
        QVERIFY(m_logind.send(signal));
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY2(m_logind.isConnected(), "needs a private bus: run under dbus-run-session"); }
    void cleanup() { m_logind.unregisterService(u"org.freedesktop.login1"_s); }

    void oneRefreshPerWakeAfterThePause()
    {
        QVERIFY(m_logind.registerService(u"org.freedesktop.login1"_s));
        LogindWakeMonitor monitor(privateBus(u"system"_s));
        QVERIFY(monitor.isWatching());
        LongUptime uptime;
        RefreshScheduler scheduler(&uptime, &monitor, RefreshScheduler::Timing{80ms});
        QSignalSpy woke(&monitor, &WakeMonitor::woke);
        QSignalSpy refreshes(&scheduler, &RefreshScheduler::refreshRequested);

        prepareForSleep(true); // going to sleep: nothing to do
        prepareForSleep(false);
        QVERIFY(woke.wait());
        QElapsedTimer sinceWake;
        sinceWake.start();
        QCOMPARE(woke.size(), 1);
        QCOMPARE(refreshes.size(), 0);
        QTRY_COMPARE(refreshes.size(), 1);
        QVERIFY2(sinceWake.elapsed() >= 60, "the refresh waits for the pause");
        QTest::qWait(150);
        QCOMPARE(refreshes.size(), 1);

        // Two wakes in a row: two refreshes, nothing merged.
        prepareForSleep(false);
        prepareForSleep(false);
        QTRY_COMPARE(refreshes.size(), 3);
    }

    void noLogindNoWakes()
    {
        QTest::failOnWarning(QRegularExpression(u".*"_s));
        LogindWakeMonitor monitor(privateBus(u"system-without-logind"_s));
        QVERIFY(!monitor.isWatching());
        QSignalSpy woke(&monitor, &WakeMonitor::woke);
        prepareForSleep(false);
        QTest::qWait(100);
        QCOMPARE(woke.size(), 0);

        LogindWakeMonitor noBus{QDBusConnection(u"never-connected"_s)};
        QVERIFY(!noBus.isWatching());
    }
};

QTEST_GUILESS_MAIN(TestWake)
#include "test_wake.moc"
