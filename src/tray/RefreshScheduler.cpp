#include "tray/RefreshScheduler.h"

#include "core/os/UptimeSource.h"
#include "core/os/WakeMonitor.h"

#include <QTimer>

#include <algorithm>

std::chrono::milliseconds firstRefreshDelay(double uptimeSeconds)
{
    if (!(uptimeSeconds < 60.0)) // also NaN: nothing known, so no reason to wait
        return std::chrono::milliseconds(0);
    const double seconds = std::max(30.0 - uptimeSeconds, 5.0);
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::duration<double>(seconds));
}

RefreshScheduler::RefreshScheduler(UptimeSource *uptime, WakeMonitor *wake, Timing timing, QObject *parent)
    : QObject(parent)
    , m_uptime(uptime)
    , m_timing(timing)
{
    // Every wake gets its own pause and its own refresh; the coordinator lets
    // the later run supersede the earlier.
    connect(wake, &WakeMonitor::woke, this, [this] { requestAfter(m_timing.wakePause); });
}

void RefreshScheduler::startFetching()
{
    const std::optional<double> uptime = m_uptime->seconds();
    requestAfter(uptime ? firstRefreshDelay(*uptime) : std::chrono::milliseconds(0));
}

void RefreshScheduler::requestAfter(std::chrono::milliseconds pause)
{
    // Even without a pause the request comes from the event loop, never from
    // inside the caller.
    QTimer::singleShot(pause, this, [this] { Q_EMIT refreshRequested(); });
}
