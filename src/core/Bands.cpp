#include "core/Bands.h"

#include <cmath>

using namespace Qt::StringLiterals;

Band bandFor(double utilization)
{
    if (utilization >= 90.0)
        return Band::Critical;
    if (utilization >= 70.0)
        return Band::Elevated;
    return Band::Low; // also NaN: nothing to warn about
}

NamedColor bandColor(double utilization)
{
    return bandColor(bandFor(utilization));
}

NamedColor bandColor(Band band)
{
    switch (band) {
    case Band::Low: return NamedColor::Green;
    case Band::Elevated: return NamedColor::Yellow;
    case Band::Critical: return NamedColor::Red;
    }
    return NamedColor::Green;
}

std::optional<qint64> truncatedPercent(double utilization)
{
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    constexpr double limit = 9223372036854775808.0;
    if (!std::isfinite(utilization) || utilization >= limit || utilization < -limit)
        return std::nullopt;
    return static_cast<qint64>(std::trunc(utilization));
}

QString percentText(double utilization)
{
    const auto value = truncatedPercent(utilization);
    return (value ? QString::number(*value) : u"--"_s) + u"%"_s;
}
