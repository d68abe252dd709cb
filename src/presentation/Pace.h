#pragma once

#include "core/UsageModel.h"

#include <QDateTime>
#include <QString>

#include <optional>

// Usage against time: how far a limit's window has run, and when the limit
// would run out if use went on at its average rate since the window began.

// 1 − (reset − now) / length, clamped to 0…1. Absent when the window's length
// or its reset time is unknown.
std::optional<double> elapsedFraction(const UsageLimit &limit, const QDateTime &now);

// The moment the limit reaches 100 % at the average rate so far, when that
// comes before the reset. Absent when use is not ahead of the elapsed share,
// when the limit is already used up, and early in a window (the first 5 % or
// the first 10 minutes, whichever is longer), where a rate means little.
std::optional<QDateTime> projectedExhaustion(const UsageLimit &limit, const QDateTime &now);

// "At this pace: runs out in 1d 4h".
QString projectionText(const QDateTime &exhaustion, const QDateTime &now);
