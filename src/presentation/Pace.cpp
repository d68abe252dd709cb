#include "presentation/Pace.h"

#include "presentation/TimeFormat.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr double MinimumElapsedShare = 0.05;
constexpr double MinimumElapsedSeconds = 10 * 60;

struct Window
{
    double length;    // seconds
    double remaining; // seconds until the reset; negative once it passed
};

std::optional<Window> windowOf(const UsageLimit &limit, const QDateTime &now)
{
    if (!limit.windowSeconds || *limit.windowSeconds <= 0 || !limit.resetTime || !limit.resetTime->isValid()
        || !now.isValid())
        return std::nullopt;
    return Window{static_cast<double>(*limit.windowSeconds), now.msecsTo(*limit.resetTime) / 1000.0};
}

} // namespace

std::optional<double> elapsedFraction(const UsageLimit &limit, const QDateTime &now)
{
    const auto window = windowOf(limit, now);
    if (!window)
        return std::nullopt;
    return std::clamp(1.0 - window->remaining / window->length, 0.0, 1.0);
}

std::optional<QDateTime> projectedExhaustion(const UsageLimit &limit, const QDateTime &now)
{
    const auto window = windowOf(limit, now);
    const double used = limit.utilization;
    // A window that already reset says nothing about the new one.
    if (!window || window->remaining <= 0 || !(used > 0.0) || !(used < 100.0))
        return std::nullopt;
    const double elapsed = window->length - window->remaining;
    if (elapsed < std::max(MinimumElapsedShare * window->length, MinimumElapsedSeconds))
        return std::nullopt;
    if (used / 100.0 <= elapsed / window->length)
        return std::nullopt; // on or behind pace
    const double secondsLeft = (100.0 - used) * elapsed / used;
    if (secondsLeft >= window->remaining)
        return std::nullopt;
    return now.addMSecs(static_cast<qint64>(secondsLeft * 1000.0)); // not negative: rounded down
}

QString projectionText(const QDateTime &exhaustion, const QDateTime &now)
{
    return QCoreApplication::translate("Common", "At this pace: runs out %1").arg(formatTimeRemaining(exhaustion, now));
}
