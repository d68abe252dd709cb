// Gemini CLI's quota buckets, the project answer and the tool's login file:
// the decoders, the status mapping around them, and the token reader.
#include "FuzzCheck.h"
#include "providers/gemini/GeminiUsage.h"

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

    const FetchResult result = geminiResultFor(status, body, u"Gemini"_s);
    FUZZ_CHECK(!std::holds_alternative<TransportError>(result));
    if (status != 200)
        FUZZ_CHECK(std::holds_alternative<ProviderError>(result));
    fuzz::checkAsShown(result);

    if (const std::optional<QString> project = geminiProjectFrom(body))
        FUZZ_CHECK(!project->isEmpty());
    if (const std::optional<StoredLogin> login = geminiLoginFromFile(body)) {
        FUZZ_CHECK(!login->accessToken.isEmpty());
        FUZZ_CHECK(!login->expiresAt || login->expiresAt->isValid());
    }
    return 0;
}
