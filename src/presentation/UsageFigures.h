#pragma once

#include "core/Preferences.h"

#include "core/UsageModel.h"

#include <QDateTime>
#include <QLocale>
#include <QTimeZone>
#include <QString>

// The figures every face shows for one limit, worked out once.

// How much of a bar is filled: utilization / 100 capped at 1; negative and
// NaN draw as empty.
double filledFraction(double utilization);
// The same for what the user chose to see: shown as remaining, the bar holds
// what is left, so "66% left" never sits over a bar filled to 34 %.
double filledFraction(double utilization, DisplayAs as);

// An alert's line for the limit that crossed: "Weekly (7d) · resets Thu 06:57",
// or only the name when the reset is unknown.
QString alertLimitLine(const UsageLimit &limit, const QDateTime &now,
                       const QTimeZone &zone = QTimeZone::systemTimeZone(), const QLocale &locale = QLocale());

// "Resets in 3d 4h", "Resets now".
QString resetText(const QDateTime &resetTime, const QDateTime &now);
