#include "presentation/WindowChart.h"

#include <algorithm>
#include <cmath>

namespace {
// A reset this much earlier than the current one belongs to an earlier window;
// less is the service's reset wandering (Codex's moves by up to a minute).
constexpr qint64 ResetTolerance = 10 * 60;
} // namespace

std::optional<WindowChart> windowChart(const UsageLimit &limit, const QList<HistorySample> &history,
                                       const QDateTime &now, std::chrono::seconds gap)
{
    if (!limit.resetTime || !limit.windowSeconds || *limit.windowSeconds <= 0)
        return std::nullopt;
    const qint64 end = limit.resetTime->toSecsSinceEpoch();
    const qint64 length = *limit.windowSeconds;
    const qint64 start = end - length;
    const auto share = [&](qint64 t) { return std::clamp(double(t - start) / double(length), 0.0, 1.0); };

    WindowChart chart;
    chart.nowX = share(now.toSecsSinceEpoch());
    QList<QPointF> run;
    qint64 lastUntil = 0;
    const auto closeRun = [&] {
        if (!run.isEmpty())
            chart.runs.append(run);
        run.clear();
    };
    for (const HistorySample &sample : history) {
        const qint64 time = sample.time.toSecsSinceEpoch();
        const qint64 until = std::max(time, sample.until.isValid() ? sample.until.toSecsSinceEpoch() : time);
        const bool earlierWindow
            = sample.resetTime && sample.resetTime->toSecsSinceEpoch() < end - ResetTolerance;
        if (until < start || time > end || earlierWindow)
            continue;
        if (!std::isfinite(sample.utilization)) {
            closeRun();
            continue;
        }
        if (!run.isEmpty() && time - lastUntil > gap.count())
            closeRun();
        const double y = std::clamp(sample.utilization / 100.0, 0.0, 1.0);
        run.append({share(time), y});
        if (share(until) > share(time))
            run.append({share(until), y});
        lastUntil = until;
    }
    closeRun();
    if (chart.runs.isEmpty())
        return std::nullopt;
    return chart;
}

QList<HistorySample> samplesOf(const QList<HistorySample> &history, const QString &providerId,
                               const QString &limitName)
{
    QList<HistorySample> result;
    for (const HistorySample &sample : history) {
        if (sample.provider == providerId && sample.limit == limitName)
            result.append(sample);
    }
    return result;
}
