// The first refresh after launch: at once on a machine that has been up a
// minute, else at about 30 s after boot but never sooner than 5 s.
#include "core/os/UptimeSource.h"
#include "core/os/WakeMonitor.h"
#include "tray/RefreshScheduler.h"

#include <QSignalSpy>
#include <QTest>

#include <cmath>

using namespace std::chrono_literals;

class TestUptime : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void delayRule()
    {
        for (const auto &[uptime, delay] : {std::pair{0.0, 30'000ms},
                                            {24.5, 5'500ms},
                                            {25.0, 5'000ms},
                                            {59.9, 5'000ms},
                                            {60.0, 0ms},
                                            {std::nan(""), 0ms}})
            QCOMPARE(firstRefreshDelay(uptime), delay);
    }

    void unknownUptimeRefreshesAtOnceFromTheEventLoop()
    {
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
};

QTEST_GUILESS_MAIN(TestUptime)
#include "test_uptime.moc"
