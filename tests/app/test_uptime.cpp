// The first refresh after launch: at once on a machine that has been up a
// minute, else at about 30 s after boot but never sooner than 5 s.
#include "BootClockUptime.h"
#include "RefreshScheduler.h"
#include "WakeMonitor.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <cmath>

using namespace std::chrono_literals;

namespace {

class FixedUptime : public UptimeSource
{
public:
    explicit FixedUptime(std::optional<double> seconds)
        : m_seconds(seconds)
    {
    }
    std::optional<double> seconds() const override { return m_seconds; }

private:
    std::optional<double> m_seconds;
};

} // namespace

class TestUptime : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void delayRule_data()
    {
        QTest::addColumn<double>("uptime");
        QTest::addColumn<qint64>("delayMs");

        QTest::newRow("just booted") << 0.0 << qint64(30'000);
        QTest::newRow("12 s") << 12.0 << qint64(18'000);
        QTest::newRow("24.5 s") << 24.5 << qint64(5'500);
        QTest::newRow("25 s") << 25.0 << qint64(5'000);
        QTest::newRow("40 s") << 40.0 << qint64(5'000);
        QTest::newRow("59.9 s") << 59.9 << qint64(5'000);
        QTest::newRow("60 s") << 60.0 << qint64(0);
        QTest::newRow("a day") << 86'400.0 << qint64(0);
        QTest::newRow("not a number") << std::nan("") << qint64(0);
    }
    void delayRule()
    {
        QFETCH(double, uptime);
        QFETCH(qint64, delayMs);
        QCOMPARE(firstRefreshDelay(uptime).count(), delayMs);
    }

    void bootClockAgreesWithTheKernel()
    {
        QFile proc(QStringLiteral("/proc/uptime"));
        if (!proc.open(QIODevice::ReadOnly))
            QSKIP("no /proc/uptime");
        const double kernel = proc.readAll().split(' ').constFirst().toDouble();
        const std::optional<double> ours = BootClockUptime().seconds();
        QVERIFY(ours);
        QVERIFY2(std::abs(*ours - kernel) < 2.0, qPrintable(QString::number(*ours - kernel)));
    }

    void firstRefreshFromTheEventLoop_data()
    {
        QTest::addColumn<std::optional<double>>("uptime");
        QTest::addColumn<int>("expected");

        QTest::newRow("long up: at once") << std::optional<double>(3600.0) << 1;
        QTest::newRow("uptime unknown: at once") << std::optional<double>() << 1;
        QTest::newRow("fresh boot: later") << std::optional<double>(12.0) << 0;
    }
    void firstRefreshFromTheEventLoop()
    {
        QFETCH(std::optional<double>, uptime);
        QFETCH(int, expected);
        FixedUptime source(uptime);
        WakeMonitor noWakes;
        RefreshScheduler scheduler(&source, &noWakes, RefreshScheduler::Timing{});
        QSignalSpy refreshes(&scheduler, &RefreshScheduler::refreshRequested);
        scheduler.startFetching();
        QCOMPARE(refreshes.size(), 0); // never from inside the call
        QTest::qWait(50);
        QCOMPARE(refreshes.size(), expected);
    }
};

QTEST_GUILESS_MAIN(TestUptime)
#include "test_uptime.moc"
