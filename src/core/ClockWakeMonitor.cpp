#include "core/ClockWakeMonitor.h"

#include "core/SleepClock.h"

using namespace std::chrono_literals;

namespace {
// A suspend shorter than this is no reason to ask again; reading the two
// clocks one after the other differs by far less.
constexpr auto Noticed = 2s;
} // namespace

ClockWakeMonitor::ClockWakeMonitor(std::chrono::milliseconds tick, QObject *parent, Clock sleepCounting, Clock awake)
    : WakeMonitor(parent)
    , m_sleepCounting(sleepCounting ? std::move(sleepCounting) : Clock(sleepCountingClock))
    , m_awake(awake ? std::move(awake) : Clock([] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now().time_since_epoch());
    }))
    , m_slept(slept())
{
    connect(&m_tick, &QTimer::timeout, this, [this] {
        const std::chrono::milliseconds now = slept();
        if (now - m_slept < Noticed)
            return;
        m_slept = now;
        Q_EMIT woke();
    });
    m_tick.start(tick);
}

std::chrono::milliseconds ClockWakeMonitor::slept() const
{
    return m_sleepCounting() - m_awake();
}
