#include "presentation/UsageFigures.h"

#include "presentation/TimeFormat.h"

#include <algorithm>

using namespace Qt::StringLiterals;

double filledFraction(double utilization)
{
    if (!(utilization > 0.0)) // also NaN
        return 0.0;
    return std::min(utilization / 100.0, 1.0);
}

QString resetText(const QDateTime &resetTime, const QDateTime &now)
{
    return u"Resets "_s + formatTimeRemaining(resetTime, now);
}
