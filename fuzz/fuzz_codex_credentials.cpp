// Both places the Codex token comes from: the keychain item's plain text and
// the tool's auth.json. One input feeds both readers.
#include "FuzzCheck.h"
#include "providers/CredentialParsing.h"
#include "providers/StrictJson.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = fuzz::bytes(data, size);

    const std::optional<QString> fromKeychain = codexTokenFromKeychainOutput(input);
    if (fromKeychain) {
        // Invalid UTF-8 anywhere, a cut-off sequence at the end included, is no token.
        FUZZ_CHECK(isValidUtf8(input));
        // Plain text comes trimmed and never blank; a keyring document's
        // token comes as stored.
        if (!QString::fromUtf8(input).trimmed().startsWith(u'{')) {
            FUZZ_CHECK(!fromKeychain->isEmpty());
            FUZZ_CHECK(*fromKeychain == fromKeychain->trimmed());
        }
        const std::optional<QDateTime> expiry = jwtExpiry(*fromKeychain);
        if (expiry)
            FUZZ_CHECK(expiry->isValid());
    }

    const std::optional<QString> fromFile = codexTokenFromAuthFile(input);
    if (fromFile) {
        FUZZ_CHECK(isValidUtf8(input));
        (void)jwtExpiry(*fromFile);
    }
    return 0;
}
