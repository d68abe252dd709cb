#include "providers/PlatformKeychain.h"
#include "providers/SecurityToolStore.h"

std::unique_ptr<CredentialStore> createPlatformCredentialStore()
{
    return std::make_unique<SecurityToolStore>();
}

QStringList platformStoreFilePaths()
{
    // Claude Code's login lives in the keychain here.
    return {};
}
