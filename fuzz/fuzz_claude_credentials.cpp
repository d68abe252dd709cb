// The password data of the Claude Code keychain item (on Linux, the contents
// of ~/.claude/.credentials.json).
#include "FuzzCheck.h"
#include "providers/CredentialParsing.h"
#include "providers/StrictJson.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray output = fuzz::bytes(data, size);
    const std::optional<QString> token = claudeTokenFromKeychainOutput(output);
    // Only a well-formed UTF-8 document can hold a token.
    if (token)
        FUZZ_CHECK(isValidUtf8(output));
    // The login reader finds the same token, whatever the expiry says.
    const std::optional<StoredLogin> login = claudeLoginFromKeychainOutput(output);
    FUZZ_CHECK(login.has_value() == token.has_value());
    if (login) {
        FUZZ_CHECK(login->accessToken == *token);
        if (login->expiresAt)
            FUZZ_CHECK(login->expiresAt->isValid());
    }
    return 0;
}
