#include "PlatformKeychain.h"
#include "SecurityToolKeychain.h"

std::unique_ptr<KeychainTool> createPlatformKeychain()
{
    return std::make_unique<SecurityToolKeychain>();
}
