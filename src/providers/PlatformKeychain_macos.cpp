#include "providers/PlatformKeychain.h"
#include "providers/SecurityToolKeychain.h"

std::unique_ptr<KeychainTool> createPlatformKeychain()
{
    return std::make_unique<SecurityToolKeychain>();
}

QStringList credentialFilePaths()
{
    return {};
}
