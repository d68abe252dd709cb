#include "presentation/RecentPace.h"

#include "presentation/Pace.h"
#include "presentation/TimeFormat.h"
#include "presentation/WindowChart.h"

#include <QCoreApplication>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 RecentSpan = RecentPaceSeconds;
constexpr qint64 MinimumSpan = 30 * 60;
constexpr qint64 ResetWander = 10 * 60;

// A reading of the same window as the limit's current figures.
bool sameWindow(const HistorySample &sample, const UsageLimit &limit)
{
    if (!sample.resetTime || !limit.resetTime)
        return !sample.resetTime && !limit.resetTime;
    return std::llabs(sample.resetTime->secsTo(*limit.resetTime)) <= ResetWander;
}

} // namespace

std::optional<PaceProjection> recentProjection(const UsageLimit &limit, const QList<HistorySample> &history,
                                               const QDateTime &now)
{
    const double used = limit.utilization;
    if (!limit.resetTime || !(used >= 0.0) || !(used < 100.0) || now >= *limit.resetTime)
        return std::nullopt;

    // The oldest reading within the recent span: the later end of a sample
    // that began before the span, else the start of the first one inside it.
    std::optional<std::pair<QDateTime, double>> then;
    for (const HistorySample &sample : history) {
        if (!sameWindow(sample, limit) || !std::isfinite(sample.utilization) || sample.until > now)
            continue;
        const qint64 age = sample.until.secsTo(now);
        if (age > RecentSpan)
            continue;
        const QDateTime at = sample.time.secsTo(now) > RecentSpan ? now.addSecs(-RecentSpan) : sample.time;
        then = std::pair{at, sample.utilization};
        break;
    }
    if (then && then->first.secsTo(now) >= MinimumSpan) {
        const qint64 span = then->first.secsTo(now);
        const double rate = (used - then->second) / double(span); // percent per second
        if (!(rate > 0.0))
            return std::nullopt;
        // Weighed against the reset before it becomes a time: a rise of one
        // rounding step gives ages, which no qint64 of milliseconds holds.
        const double secondsLeft = (100.0 - used) / rate;
        if (secondsLeft >= now.msecsTo(*limit.resetTime) / 1000.0)
            return std::nullopt;
        // Not negative, so the cast rounds down.
        const QDateTime exhaustion = now.addMSecs(qint64(secondsLeft * 1000.0));
        return PaceProjection{span <= 90 * 60 ? PaceProjection::Basis::LastHour : PaceProjection::Basis::LastTwoHours,
                              exhaustion};
    }
    if (const auto exhaustion = projectedExhaustion(limit, now))
        return PaceProjection{PaceProjection::Basis::WholeWindow, *exhaustion};
    return std::nullopt;
}

std::optional<PaceProjection> recentProjection(const QString &providerId, const UsageLimit &limit,
                                               const QList<HistorySample> &record, const QDateTime &now)
{
    return recentProjection(limit, samplesOf(record, providerId, limit.name), now);
}

QString paceProjectionText(const PaceProjection &projection, const QDateTime &now)
{
    switch (projection.basis) {
    case PaceProjection::Basis::LastHour:
        return QCoreApplication::translate("Common", "At the last hour's rate: runs out %1")
            .arg(formatTimeRemaining(projection.exhaustion, now));
    case PaceProjection::Basis::LastTwoHours:
        return QCoreApplication::translate("Common", "At the last 2 hours' rate: runs out %1")
            .arg(formatTimeRemaining(projection.exhaustion, now));
    case PaceProjection::Basis::WholeWindow: break;
    }
    return projectionText(projection.exhaustion, now);
}

QString paceBasisName(PaceProjection::Basis basis)
{
    switch (basis) {
    case PaceProjection::Basis::LastHour: return u"lastHour"_s;
    case PaceProjection::Basis::LastTwoHours: return u"lastTwoHours"_s;
    case PaceProjection::Basis::WholeWindow: break;
    }
    return u"window"_s;
}
