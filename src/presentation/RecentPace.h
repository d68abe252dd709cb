#pragma once

#include "core/HistorySample.h"
#include "core/UsageModel.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

// When a limit runs out, from the recent rate where the history has enough of
// it, else from the average since the window began.
struct PaceProjection
{
    enum class Basis {
        WholeWindow, // the average since the window began ("At this pace")
        LastHour,    // about the last hour of history
        LastTwoHours,
    };
    Basis basis = Basis::WholeWindow;
    QDateTime exhaustion; // before the reset
};

// How far back the recent rate looks: a reader needs no samples seen before
// now minus this.
inline constexpr qint64 RecentPaceSeconds = 2 * 3600;

// history: this limit's samples, oldest first (any period; only the last two
// hours of the current window count). The recent rate needs readings at least
// 30 minutes apart in the current window; a recent rate of zero or less means
// the limit does not run out, whatever the window's average says. Absent when
// the limit does not run out before its reset.
std::optional<PaceProjection> recentProjection(const UsageLimit &limit, const QList<HistorySample> &history,
                                               const QDateTime &now);

// The same from a record of many limits: only this provider's limit of this
// name counts (a record query by name also matches a kind's other limits).
std::optional<PaceProjection> recentProjection(const QString &providerId, const UsageLimit &limit,
                                               const QList<HistorySample> &record, const QDateTime &now);

// "lastHour", "lastTwoHours" or "window", for machine-readable output.
QString paceBasisName(PaceProjection::Basis basis);

// "At the last hour's rate: runs out in 3h 10m", "At this pace: runs out in 1d 4h".
QString paceProjectionText(const PaceProjection &projection, const QDateTime &now);
