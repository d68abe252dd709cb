#include "demo/DemoHistory.h"

#include "core/UtcZone.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr qint64 CheckInterval = 120;
constexpr qint64 Day = 86400;

// Use through a window in `bursts` bursts, from 0 at its start to 1 at its end;
// never falls.
double progress(double share, int bursts)
{
    const double turn = 2 * std::numbers::pi * bursts;
    return share - std::sin(turn * share) / turn;
}

struct Window
{
    qint64 start;
    qint64 end;
    double finalUse; // over 100: used up before the reset
};

class Recorder
{
public:
    Recorder(const QString &provider, const UsageLimit &limit)
        : m_provider(provider)
        , m_limit(limit)
    {}

    void add(qint64 from, qint64 until, double used, std::optional<qint64> reset)
    {
        HistorySample sample{m_provider, m_limit.name, m_limit.kind, m_limit.windowSeconds,
                             std::round(std::min(used, 100.0)), {}, QDateTime::fromSecsSinceEpoch(from, utcZone()),
                             QDateTime::fromSecsSinceEpoch(std::max(from, until), utcZone())};
        if (reset)
            sample.resetTime = QDateTime::fromSecsSinceEpoch(*reset, utcZone());
        samples.append(sample);
    }

    // Idle between windows: nothing used, no reset announced.
    void idle(qint64 from, qint64 to)
    {
        for (qint64 t = from; t < to; t += 1800)
            add(t, std::min(to, t + 1800) - CheckInterval, 0, std::nullopt);
    }

    // A window from `from` (at least its start) to `to` (at most its end).
    void window(const Window &w, qint64 from, qint64 to, int bursts, double scale)
    {
        const qint64 length = w.end - w.start;
        const qint64 step = length >= Day ? 1800 : 600;
        for (qint64 t = from; t < to; t += step) {
            const double share = double(t - w.start) / double(length);
            add(t, std::min(to, t + step) - CheckInterval, scale * progress(share, bursts), w.end);
        }
    }

    QList<HistorySample> samples;

private:
    QString m_provider;
    UsageLimit m_limit;
};

} // namespace

QList<HistorySample> DemoData::history(const QString &providerId, const QList<UsageLimit> &limits,
                                       const QDateTime &now, int days)
{
    QList<HistorySample> all;
    const qint64 end = now.toSecsSinceEpoch();
    const qint64 begin = end - days * Day;
    for (const UsageLimit &limit : limits) {
        if (!limit.resetTime || !limit.windowSeconds || *limit.windowSeconds <= 0)
            continue;
        const qint64 length = *limit.windowSeconds;
        const Window current{limit.resetTime->toSecsSinceEpoch() - length, limit.resetTime->toSecsSinceEpoch(),
                             limit.utilization};
        const bool weekLong = length >= Day;
        const int bursts = weekLong ? int(length / Day) : 2;

        // Earlier windows, newest first: back to back for long ones, twice a
        // working day for short ones.
        QList<Window> earlier;
        static constexpr double WeekFinals[] = {112, 64, 88, 100 + 18, 71};
        static constexpr double SessionFinals[] = {45, 125, 70, 90, 30, 110, 60};
        if (weekLong) {
            int i = 0;
            for (qint64 e = current.start; e > begin; e -= length, ++i)
                earlier.append({e - length, e, WeekFinals[i % std::size(WeekFinals)]});
        } else {
            int i = 0;
            for (qint64 dayStart = current.start - current.start % Day; dayStart + Day > begin; dayStart -= Day) {
                if (QDateTime::fromSecsSinceEpoch(dayStart, utcZone()).date().dayOfWeek() > 5)
                    continue;
                for (const qint64 startHour : {14 * 3600 + 1800, 9 * 3600}) {
                    const qint64 s = dayStart + startHour;
                    if (s + length <= current.start && s + length > begin)
                        earlier.append({s, s + length, SessionFinals[i++ % std::size(SessionFinals)]});
                }
            }
        }
        std::reverse(earlier.begin(), earlier.end());

        Recorder recorder(providerId, limit);
        qint64 t = begin;
        for (const Window &w : std::as_const(earlier)) {
            recorder.idle(t, std::max(t, w.start));
            recorder.window(w, std::max(begin, w.start), w.end, bursts, w.finalUse);
            t = w.end;
        }
        recorder.idle(t, std::max(t, current.start));
        // The present window ends in the figure the service reports now.
        const double nowShare = std::clamp(double(end - current.start) / double(length), 0.01, 1.0);
        recorder.window(current, std::max(begin, current.start), end, bursts,
                        limit.utilization / progress(nowShare, bursts));
        recorder.add(end, end, limit.utilization, current.end);
        all.append(recorder.samples);
    }
    return all;
}
