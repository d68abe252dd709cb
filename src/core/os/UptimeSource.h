#pragma once

#include <optional>

// Time since the machine booted, sleep included.
class UptimeSource
{
public:
    virtual ~UptimeSource() = default;

    // Seconds; absent when the system does not tell.
    virtual std::optional<double> seconds() const = 0;
};
