#pragma once

#include <QVariant>

#include <chrono>

inline constexpr std::chrono::milliseconds DefaultRefreshInterval{120'000};

// The period of the refresh timer from the stored "refreshInterval" value:
// a positive number of seconds is used as is, anything else means 120 s.
std::chrono::milliseconds refreshIntervalFromSetting(const QVariant &value);
