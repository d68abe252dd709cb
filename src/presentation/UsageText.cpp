#include "presentation/UsageText.h"

#include "core/Bands.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

QString remainingText(double utilization)
{
    if (!std::isfinite(utilization))
        return QCoreApplication::translate("Common", "--% left");
    const double left = std::clamp(100.0 - utilization, 0.0, 100.0);
    return QCoreApplication::translate("Common", "%1% left").arg(static_cast<int>(left));
}

QString usageText(double utilization, DisplayAs as)
{
    return as == DisplayAs::Remaining ? remainingText(utilization) : percentText(utilization);
}
