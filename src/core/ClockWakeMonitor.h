#pragma once

#include "core/os/WakeMonitor.h"

#include <QTimer>

#include <chrono>
#include <functional>

// Notices a wake without the system's signal: at each tick it compares a
// clock that counts sleep with one that does not, and a gap that grew means
// the machine slept in between. For a command that links no system bus.
class ClockWakeMonitor : public WakeMonitor
{
    Q_OBJECT
public:
    using Clock = std::function<std::chrono::milliseconds()>;

    // Clocks unset: the system's (sleepCountingClock() and a steady clock).
    explicit ClockWakeMonitor(std::chrono::milliseconds tick, QObject *parent = nullptr, Clock sleepCounting = {},
                              Clock awake = {});

private:
    std::chrono::milliseconds slept() const;

    Clock m_sleepCounting;
    Clock m_awake;
    std::chrono::milliseconds m_slept;
    QTimer m_tick;
};
