#include "core/SleepClock.h"

#include <ctime>

// macOS's CLOCK_MONOTONIC counts sleep (CLOCK_UPTIME_RAW is the one that stops).
std::chrono::milliseconds sleepCountingClock()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::milliseconds(now.tv_nsec / 1'000'000);
}
