// The password data of the Claude Code keychain item (on Linux, the contents
// of ~/.claude/.credentials.json).
#include "providers/CredentialParsing.h"
#include "FuzzCheck.h"
#include "providers/StrictJson.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray output = fuzz::bytes(data, size);
    const std::optional<QString> token = claudeTokenFromKeychainOutput(output);
    // Only a well-formed UTF-8 document can hold a token.
    if (token)
        FUZZ_CHECK(isValidUtf8(output));
    return 0;
}
