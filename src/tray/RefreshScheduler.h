#pragma once

#include <QObject>

#include <chrono>

class UptimeSource;
class WakeMonitor;

// The pause before the first refresh: a machine that booted less than a
// minute ago gets until about 30 s after boot (at least 5 s) to bring its
// network up; otherwise none.
std::chrono::milliseconds firstRefreshDelay(double uptimeSeconds);

// The refreshes the application starts on its own: one after launch and one
// a short pause after every wake. The periodic ones are the coordinator's.
class RefreshScheduler : public QObject
{
    Q_OBJECT
public:
    struct Timing
    {
        std::chrono::milliseconds wakePause{3'000};
    };

    // Both must outlive the scheduler. Wakes are watched from construction.
    RefreshScheduler(UptimeSource *uptime, WakeMonitor *wake, Timing timing, QObject *parent = nullptr);

    // Requests the first refresh, at once or after the boot pause.
    void startFetching();

Q_SIGNALS:
    void refreshRequested();

private:
    void requestAfter(std::chrono::milliseconds pause);

    UptimeSource *m_uptime;
    Timing m_timing;
};
