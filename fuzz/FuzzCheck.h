#pragma once

#include "core/Bands.h"
#include "core/FetchJob.h"
#include "core/ThresholdAlerts.h"
#include "core/UsageManager.h"
#include "core/UtcZone.h"
#include "presentation/LimitRows.h"
#include "presentation/TimeFormat.h"

#include <QByteArray>
#include <QDateTime>

#include <cstdint>
#include <iterator>
#include <optional>
#include <cstdio>
#include <cstdlib>

// A broken invariant is a finding like a crash: libFuzzer saves the input.
#define FUZZ_CHECK(condition)                                                                                          \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::fprintf(stderr, "%s:%d: invariant failed: %s\n", __FILE__, __LINE__, #condition);                     \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (false)

namespace fuzz {

// The input without a copy, so that the sanitizers see reads past its end.
inline QByteArray bytes(const uint8_t *data, size_t size)
{
    return QByteArray::fromRawData(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
}

// A fuzzed answer: the first byte picks the status (below 128, a space in
// the seeds, it is 200, so most inputs reach the decoder; the rest spread
// over the statuses that take other branches), the body follows.
struct Answer
{
    int status = 200;
    QByteArray body;
};

inline std::optional<Answer> answer(const uint8_t *data, size_t size)
{
    static constexpr int OtherStatuses[] = {401, 403, 404, 429, 500, 503, 301, 0};
    if (size == 0)
        return std::nullopt;
    return Answer{data[0] < 128 ? 200 : OtherStatuses[data[0] % std::size(OtherStatuses)], bytes(data + 1, size - 1)};
}

// What every provider makes of an answer: nothing an answer holds may look
// like a transport failure (those are retried), and a status other than 200
// is the provider's own error.
inline void checkAnswerResult(int status, const FetchResult &result)
{
    FUZZ_CHECK(!std::holds_alternative<TransportError>(result));
    if (status != 200)
        FUZZ_CHECK(std::holds_alternative<ProviderError>(result));
}

// Everything the faces derive from a parsed answer, so that a value the
// parser lets through (a huge or negative percentage, a far-off reset time)
// is carried as far as the user would see it.
inline void checkAsShown(const FetchResult &result)
{
    const auto *usage = std::get_if<ProviderUsageResponse>(&result);
    if (!usage) {
        FUZZ_CHECK(!failureDescription(result).isEmpty());
        return;
    }
    const QDateTime now = QDateTime::fromSecsSinceEpoch(1'750'000'000, utcZone());
    for (const UsageLimit &limit : usage->limits) {
        FUZZ_CHECK(!limit.name.isEmpty());
        FUZZ_CHECK(percentText(limit.utilization).endsWith(u'%'));
        (void)bandColor(limit.utilization);
        if (limit.resetTime) {
            FUZZ_CHECK(limit.resetTime->isValid());
            FUZZ_CHECK(!formatTimeRemaining(*limit.resetTime, now).isEmpty());
        }
    }
    if (usage->credits)
        FUZZ_CHECK(!creditsTitle(*usage->credits).isEmpty() && creditsValueText(*usage->credits).size() < 4096);
    const double highest = usage->maxUtilization();
    const ThresholdCheck check = checkThresholds({}, highest, UsageManager::thresholds());
    FUZZ_CHECK(check.crossed.size() <= UsageManager::thresholds().size());
    if (!check.crossed.isEmpty())
        FUZZ_CHECK(!alertBody(highest).isEmpty());
}

} // namespace fuzz
