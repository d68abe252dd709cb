#include "providers/KeychainService.h"

#include "providers/CredentialItems.h"
#include "providers/CredentialParsing.h"

#include <utility>

KeychainService::KeychainService(std::shared_ptr<const CredentialStore> store, RereadPolicy reread)
    : m_store(std::move(store))
    , m_reread(reread)
{}

std::optional<QString> KeychainService::getAccessToken() const
{
    const std::optional<StoredLogin> login = getLogin();
    if (!login)
        return std::nullopt;
    return login->accessToken;
}

std::optional<StoredLogin> KeychainService::getLogin() const
{
    if (std::optional<StoredLogin> login = getLoginFromKeychain(ClaudeCredentialsItem))
        return login;
    return getLoginFromKeychain(ClaudeLegacyItem);
}

std::optional<StoredLogin> KeychainService::getLoginFromKeychain(const QString &item) const
{
    return readUntilParsed(
        m_reread, [&] { return m_store ? m_store->find(item) : std::nullopt; }, &claudeLoginFromKeychainOutput);
}
