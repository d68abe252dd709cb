#include "presentation/UsageFigures.h"

#include "presentation/TimeFormat.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

double filledFraction(double utilization)
{
    if (!(utilization > 0.0)) // also NaN
        return 0.0;
    return std::min(utilization / 100.0, 1.0);
}

double filledFraction(double utilization, DisplayAs as)
{
    if (as == DisplayAs::Used)
        return filledFraction(utilization);
    if (!std::isfinite(utilization))
        return 0.0;
    return std::clamp(100.0 - utilization, 0.0, 100.0) / 100.0;
}

QString alertLimitLine(const UsageLimit &limit, const QDateTime &now, const QTimeZone &zone, const QLocale &locale)
{
    if (!limit.resetTime)
        return limit.name;
    return QCoreApplication::translate("Alerts", "%1 · resets %2")
        .arg(limit.name, resetClockText(*limit.resetTime, now, zone, locale));
}

QString resetText(const QDateTime &resetTime, const QDateTime &now)
{
    return QCoreApplication::translate("Common", "Resets %1").arg(formatTimeRemaining(resetTime, now));
}
