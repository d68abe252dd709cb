// The Codex usage answer: the strict typed decoder and the status mapping
// around it.
#include "FuzzCheck.h"
#include "fetch/CodexProvider.h"
#include "providers/CodexUsage.h"

#include <iterator>

using namespace Qt::StringLiterals;

namespace {

// The first byte picks the status, as in fuzz_claude_answer.
constexpr int OtherStatuses[] = {401, 403, 404, 429, 500, 503, 301, 0};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const int status = data[0] < 128 ? 200 : OtherStatuses[data[0] % std::size(OtherStatuses)];
    const QByteArray body = fuzz::bytes(data + 1, size - 1);

    const auto decoded = decodeCodexUsage(body);
    if (const auto *reason = std::get_if<QString>(&decoded))
        FUZZ_CHECK(!reason->isEmpty());

    const FetchResult result = codexResultFor(status, body, u"Codex"_s);
    FUZZ_CHECK(!std::holds_alternative<TransportError>(result));
    FUZZ_CHECK(!std::holds_alternative<OtherError>(result));
    if (status == 200) {
        // The provider's verdict is the decoder's: no partial results.
        FUZZ_CHECK(std::holds_alternative<ProviderUsageResponse>(result)
                   == std::holds_alternative<CodexUsageResponse>(decoded));
        // Three main rows at most, and two for each extra limit that decoded.
        if (const auto *usage = std::get_if<ProviderUsageResponse>(&result)) {
            const auto extra = std::get<CodexUsageResponse>(decoded).additionalRateLimits.size();
            FUZZ_CHECK(usage->limits.size() <= 3 + 2 * extra);
        }
    } else {
        FUZZ_CHECK(std::holds_alternative<ProviderError>(result));
    }
    fuzz::checkAsShown(result);
    return 0;
}
