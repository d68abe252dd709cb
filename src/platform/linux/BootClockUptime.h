#pragma once

#include "core/os/UptimeSource.h"

// Uptime from CLOCK_BOOTTIME, which keeps counting while the machine sleeps.
class BootClockUptime : public UptimeSource
{
public:
    std::optional<double> seconds() const override;
};
