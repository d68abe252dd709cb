#include "core/UsageModel.h"

#include <algorithm>
#include <array>
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
    // Every power of ten up to 10^22 is a double exactly. The table also spares
    // the tray pow(), which would keep pages of libm resident for a menu text.
    static constexpr auto PowersOfTen = [] {
        std::array<double, 23> powers{};
        double power = 1.0;
        for (double &entry : powers) {
            entry = power;
            power *= 10.0;
        }
        return powers;
    }();
    if (exponent >= 0 && exponent < int(PowersOfTen.size()))
        return double(amountMinor) / PowersOfTen[std::size_t(exponent)];
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
