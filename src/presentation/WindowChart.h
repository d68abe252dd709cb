#pragma once

#include "core/HistorySample.h"
#include "core/UsageModel.h"

#include <QDateTime>
#include <QLineF>
#include <QList>
#include <QPointF>

#include <chrono>
#include <optional>

// A limit's current window as a small chart, in shares: x is the share of the
// window gone by (0 at its start, 1 at the reset), y the used share (0 to 1).
struct WindowChart
{
    // Used share over time; a gap in the history (the tray was not running,
    // an unreadable figure) starts a new run instead of drawing across it.
    QList<QList<QPointF>> runs;
    // The even pace: nothing used at the window's start, all of it at the reset.
    QLineF pace{0.0, 0.0, 1.0, 1.0};
    double nowX = 0.0;
};

// How far apart two readings may be and still be joined by a line: a little
// over the history's own merge gap, so the longest refresh interval still joins.
inline constexpr std::chrono::seconds ChartGap{20 * 60};

// history: this limit's samples, oldest first. Only those of the current
// window count (start = reset − window length); readings taken under an
// earlier reset are left out. Absent when the limit has no reset or window
// length, or nothing was recorded in the current window.
std::optional<WindowChart> windowChart(const UsageLimit &limit, const QList<HistorySample> &history,
                                       const QDateTime &now, std::chrono::seconds gap = ChartGap);

// The samples of one limit of one provider, in the order given.
QList<HistorySample> samplesOf(const QList<HistorySample> &history, const QString &providerId,
                               const QString &limitName);
