// The Codex usage answer: the strict typed decoder and the status mapping
// around it.
#include "FuzzCheck.h"
#include "fetch/CodexProvider.h"
#include "providers/CodexUsage.h"

using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::optional<fuzz::Answer> input = fuzz::answer(data, size);
    if (!input)
        return 0;
    const auto &[status, body] = *input;

    const auto decoded = decodeCodexUsage(body);
    if (const auto *reason = std::get_if<QString>(&decoded))
        FUZZ_CHECK(!reason->isEmpty());

    const FetchResult result = codexResultFor(status, body, u"Codex"_s);
    fuzz::checkAnswerResult(status, result);
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
    }
    fuzz::checkAsShown(result);
    return 0;
}
