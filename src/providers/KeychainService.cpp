#include "providers/KeychainService.h"

#include "providers/CredentialItems.h"
#include "providers/CredentialParsing.h"

#include <utility>

KeychainService::KeychainService(std::shared_ptr<const CredentialStore> store)
    : m_store(std::move(store))
{
}

std::optional<QString> KeychainService::getAccessToken() const
{
    if (std::optional<QString> token = getTokenFromKeychain(ClaudeCredentialsItem))
        return token;
    return getTokenFromKeychain(ClaudeLegacyItem);
}

std::optional<QString> KeychainService::getTokenFromKeychain(const QString &item) const
{
    const std::optional<QByteArray> data = m_store ? m_store->find(item) : std::nullopt;
    if (!data)
        return std::nullopt;
    return claudeTokenFromKeychainOutput(*data);
}
