#include "platform/linux/BootClockUptime.h"

#include <ctime>

std::optional<double> BootClockUptime::seconds() const
{
    timespec now{};
    if (clock_gettime(CLOCK_BOOTTIME, &now) != 0)
        return std::nullopt;
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}
