#include "providers/PlatformKeychain.h"
#include "providers/SecurityToolStore.h"

std::unique_ptr<CredentialStore> createPlatformCredentialStore()
{
    return std::make_unique<SecurityToolStore>();
}

QStringList credentialFilePaths()
{
    // Claude Code's login lives in the keychain here; the Codex tool's file
    // is still read after its keychain item.
    return {codexAuthFilePath()};
}
