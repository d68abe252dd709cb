#include "presentation/UsageText.h"

#include "core/Bands.h"

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

QString remainingText(double utilization)
{
    if (!std::isfinite(utilization))
        return u"--% left"_s;
    const double left = std::clamp(100.0 - utilization, 0.0, 100.0);
    return u"%1% left"_s.arg(static_cast<int>(left));
}

QString usageText(double utilization, DisplayAs as)
{
    return as == DisplayAs::Remaining ? remainingText(utilization) : percentText(utilization);
}
