// The Claude usage answer: status mapping, the scope test on error bodies,
// the strict JSON parse and the window parser with its RFC 3339 dates.
#include "FuzzCheck.h"
#include "fetch/ClaudeProvider.h"

#include <iterator>

using namespace Qt::StringLiterals;

namespace {

// The first byte picks the status: below 128 (a space in the seeds) it is
// 200, so most inputs reach the window parser; the rest spread over the
// statuses that take other branches. The body follows.
constexpr int OtherStatuses[] = {401, 403, 404, 429, 500, 503, 301, 0};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const int status = data[0] < 128 ? 200 : OtherStatuses[data[0] % std::size(OtherStatuses)];
    const QByteArray body = fuzz::bytes(data + 1, size - 1);

    const FetchResult result = claudeResultFor(status, body, u"Claude"_s);

    // Nothing an answer holds may look like a transport failure: those are retried.
    FUZZ_CHECK(!std::holds_alternative<TransportError>(result));
    if (status != 200)
        FUZZ_CHECK(std::holds_alternative<ProviderError>(result));
    // One row per window, however often an answer tells it.
    if (const auto *usage = std::get_if<ProviderUsageResponse>(&result)) {
        for (qsizetype i = 0; i < usage->limits.size(); ++i) {
            for (qsizetype j = i + 1; j < usage->limits.size(); ++j)
                FUZZ_CHECK(usage->limits[i].kind != usage->limits[j].kind
                           || usage->limits[i].name.compare(usage->limits[j].name, Qt::CaseInsensitive) != 0);
        }
    }
    fuzz::checkAsShown(result);
    return 0;
}
