// Gemini CLI's quota buckets, the project answer and the tool's login file:
// the decoders, the status mapping around them, and the token reader.
#include "FuzzCheck.h"
#include "providers/gemini/GeminiUsage.h"

using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::optional<fuzz::Answer> input = fuzz::answer(data, size);
    if (!input)
        return 0;
    const auto &[status, body] = *input;

    const FetchResult result = geminiResultFor(status, body, u"Gemini"_s);
    fuzz::checkAnswerResult(status, result);
    fuzz::checkAsShown(result);

    if (const std::optional<QString> project = geminiProjectFrom(body))
        FUZZ_CHECK(!project->isEmpty());
    if (const std::optional<StoredLogin> login = geminiLoginFromFile(body)) {
        FUZZ_CHECK(!login->accessToken.isEmpty());
        FUZZ_CHECK(!login->expiresAt || login->expiresAt->isValid());
    }
    return 0;
}
