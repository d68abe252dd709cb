#pragma once

#include <QVariant>

#include <chrono>

inline constexpr std::chrono::milliseconds DefaultRefreshInterval{120'000};
// The services rate-limit clients that ask every few seconds; no setting
// brings the timer closer than this.
inline constexpr std::chrono::milliseconds MinimumRefreshInterval{60'000};

// The period of the refresh timer from the stored "refreshInterval" value:
// a positive number of seconds is used, raised to 60 s where it is less;
// anything else means 120 s.
std::chrono::milliseconds refreshIntervalFromSetting(const QVariant &value);
