// The Claude usage answer: status mapping, the scope test on error bodies,
// the strict JSON parse and the window parser with its RFC 3339 dates.
#include "FuzzCheck.h"
#include "fetch/ClaudeProvider.h"

using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::optional<fuzz::Answer> input = fuzz::answer(data, size);
    if (!input)
        return 0;
    const auto &[status, body] = *input;

    const FetchResult result = claudeResultFor(status, body, u"Claude"_s);

    fuzz::checkAnswerResult(status, result);
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
