// GitHub Copilot's quota answer and the plug-ins' login file: the decoder,
// the status mapping around it, and the token reader.
#include "FuzzCheck.h"
#include "providers/copilot/CopilotUsage.h"

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

    const FetchResult result = copilotResultFor(status, body, u"Copilot"_s);
    FUZZ_CHECK(!std::holds_alternative<TransportError>(result));
    if (status != 200)
        FUZZ_CHECK(std::holds_alternative<ProviderError>(result));
    // Three known quotas at most; an unlimited one is named, never a row.
    if (const auto *usage = std::get_if<ProviderUsageResponse>(&result))
        FUZZ_CHECK(usage->limits.size() + usage->unlimited.size() <= 3);
    fuzz::checkAsShown(result);

    if (const std::optional<StoredLogin> login = copilotLoginFromFile(body))
        FUZZ_CHECK(!login->accessToken.isEmpty() && login->accessToken == login->accessToken.trimmed());
    return 0;
}
