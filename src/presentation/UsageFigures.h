#pragma once

#include <QDateTime>
#include <QString>

// The figures every face shows for one limit, worked out once.

// How much of a bar is filled: utilization / 100 capped at 1; negative and
// NaN draw as empty.
double filledFraction(double utilization);

// "Resets in 3d 4h", "Resets now".
QString resetText(const QDateTime &resetTime, const QDateTime &now);
