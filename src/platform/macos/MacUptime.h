#pragma once

#include "core/os/UptimeSource.h"

// Time since boot from the kernel's boot time, sleep included.
class MacUptime : public UptimeSource
{
public:
    std::optional<double> seconds() const override;
};
