#include "core/UsageModel.h"

#include <algorithm>
#include <cmath>

double ProviderUsageResponse::maxUtilization() const
{
    if (limits.isEmpty())
        return 0.0;
    const auto largest = std::max_element(limits.cbegin(), limits.cend(), [](const UsageLimit &a, const UsageLimit &b) {
        return a.utilization < b.utilization;
    });
    return largest->utilization;
}

bool isMonthLong(qint64 windowSeconds)
{
    return windowSeconds == 2'592'000 || windowSeconds == 2'628'000 || windowSeconds == 2'629'746;
}

double Money::value() const
{
    return double(amountMinor) / std::pow(10.0, exponent);
}

std::optional<double> UsageCredits::usedPercent() const
{
    if (utilization)
        return utilization;
    if (!used || !limit || limit->amountMinor <= 0 || used->exponent != limit->exponent)
        return std::nullopt;
    return 100.0 * double(used->amountMinor) / double(limit->amountMinor);
}

QString limitKindName(LimitKind kind)
{
    switch (kind) {
    case LimitKind::Session: return QStringLiteral("session");
    case LimitKind::Weekly: return QStringLiteral("weekly");
    case LimitKind::Other: break;
    }
    return QStringLiteral("other");
}

LimitKind limitKindFromName(const QString &name)
{
    if (name == QLatin1StringView("session"))
        return LimitKind::Session;
    if (name == QLatin1StringView("weekly"))
        return LimitKind::Weekly;
    return LimitKind::Other;
}
