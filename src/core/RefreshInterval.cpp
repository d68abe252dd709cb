#include "core/RefreshInterval.h"

#include <algorithm>
#include <cmath>
#include <limits>

std::chrono::milliseconds refreshIntervalFromSetting(const QVariant &value)
{
    bool ok = false;
    double seconds = value.toDouble(&ok);
    if (!ok || std::isnan(seconds))
        seconds = 0.0;
    if (seconds <= 0.0)
        return DefaultRefreshInterval;
    // The timer counts in whole milliseconds within an int: round, then keep it inside.
    const double ms = std::round(seconds * 1000.0);
    constexpr double maxMs = std::numeric_limits<int>::max();
    const double floorMs = double(MinimumRefreshInterval.count());
    return std::chrono::milliseconds(static_cast<qint64>(std::clamp(ms, floorMs, maxMs)));
}
