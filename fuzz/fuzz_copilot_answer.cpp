// GitHub Copilot's quota answer and the plug-ins' login file: the decoder,
// the status mapping around it, and the token reader.
#include "FuzzCheck.h"
#include "providers/copilot/CopilotUsage.h"

using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::optional<fuzz::Answer> input = fuzz::answer(data, size);
    if (!input)
        return 0;
    const auto &[status, body] = *input;

    const FetchResult result = copilotResultFor(status, body, u"Copilot"_s);
    fuzz::checkAnswerResult(status, result);
    // Three known quotas at most; an unlimited one is named, never a row.
    if (const auto *usage = std::get_if<ProviderUsageResponse>(&result))
        FUZZ_CHECK(usage->limits.size() + usage->unlimited.size() <= 3);
    fuzz::checkAsShown(result);

    if (const std::optional<StoredLogin> login = copilotLoginFromFile(body))
        FUZZ_CHECK(!login->accessToken.isEmpty() && login->accessToken == login->accessToken.trimmed());
    return 0;
}
