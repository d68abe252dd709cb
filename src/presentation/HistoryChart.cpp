#include "presentation/HistoryChart.h"

#include <algorithm>
#include <cmath>

namespace {
// A reset that moves by less is the service's wandering, not a new window.
constexpr qint64 ResetTolerance = 10 * 60;

// The earlier window's reset is when it ended, whether a new one began or
// none (a limit's window that starts on first use).
bool windowEnded(const HistorySample &previous, const HistorySample &sample)
{
    return previous.resetTime
        && (!sample.resetTime
            || sample.resetTime->toSecsSinceEpoch() - previous.resetTime->toSecsSinceEpoch() > ResetTolerance);
}
} // namespace

QList<HistoryChart> historyCharts(const QList<HistorySample> &history, const QDateTime &from, const QDateTime &to,
                                  std::chrono::seconds gap)
{
    const qint64 start = from.toSecsSinceEpoch();
    const qint64 length = std::max<qint64>(1, to.toSecsSinceEpoch() - start);
    const auto share = [&](qint64 t) { return std::clamp(double(t - start) / double(length), 0.0, 1.0); };
    const auto inPeriod = [&](qint64 t) { return t >= start && t <= start + length; };

    QList<HistoryChart> charts;
    QList<QPointF> run;
    const HistorySample *previous = nullptr;
    const auto closeRun = [&] {
        if (!run.isEmpty())
            charts.last().runs.append(run);
        run.clear();
    };
    for (const HistorySample &sample : history) {
        const qint64 time = sample.time.toSecsSinceEpoch();
        const qint64 until = std::max(time, sample.until.isValid() ? sample.until.toSecsSinceEpoch() : time);
        if (time > start + length)
            continue;
        if (charts.isEmpty() || charts.last().provider != sample.provider || charts.last().limit != sample.limit) {
            if (!charts.isEmpty())
                closeRun();
            charts.append(HistoryChart{sample.provider, sample.limit, {}, {}, {}});
            previous = nullptr;
        }
        HistoryChart &chart = charts.last();
        if (previous) {
            if (windowEnded(*previous, sample) && inPeriod(previous->resetTime->toSecsSinceEpoch()))
                chart.resets.append(share(previous->resetTime->toSecsSinceEpoch()));
            if (time - previous->until.toSecsSinceEpoch() > gap.count())
                closeRun();
        }
        // Before the period: only for the reset that may follow it.
        if (until < start) {
            previous = &sample;
            continue;
        }
        if (!std::isfinite(sample.utilization)) {
            closeRun();
            previous = &sample;
            continue;
        }
        const bool full = sample.utilization >= 100.0;
        const bool wasFull = previous && std::isfinite(previous->utilization) && previous->utilization >= 100.0;
        if (full && !wasFull && inPeriod(time))
            chart.reached.append(share(time));
        const double y = std::clamp(sample.utilization / 100.0, 0.0, 1.0);
        run.append({share(time), y});
        if (share(until) > share(time))
            run.append({share(until), y});
        previous = &sample;
    }
    if (!charts.isEmpty())
        closeRun();
    charts.removeIf([](const HistoryChart &chart) { return chart.runs.isEmpty(); });
    return charts;
}
