#include "providers/CodexCredentialService.h"

#include "providers/CredentialItems.h"
#include "providers/CredentialParsing.h"
#include "providers/SmallFile.h"

#include <utility>

CodexCredentialService::CodexCredentialService(std::shared_ptr<const CredentialStore> store, QString authFilePath,
                                               RereadPolicy reread)
    : m_store(std::move(store))
    , m_authFilePath(std::move(authFilePath))
    , m_reread(reread)
{}

std::optional<QString> CodexCredentialService::getAccessToken() const
{
    if (std::optional<QString> token = readFromKeychain())
        return token;
    return readFromAuthFile();
}

std::optional<StoredLogin> CodexCredentialService::getLogin() const
{
    std::optional<QString> token = getAccessToken();
    if (!token)
        return std::nullopt;
    return StoredLogin{*token, jwtExpiry(*token)};
}

std::optional<QString> CodexCredentialService::readFromKeychain() const
{
    return readUntilParsed(
        m_reread, [&] { return m_store ? m_store->find(CodexAuthItem) : std::nullopt; }, &codexTokenFromKeychainOutput);
}

std::optional<QString> CodexCredentialService::readFromAuthFile() const
{
    return readUntilParsed(
        m_reread, [&] { return readSmallFile(m_authFilePath, MaxCredentialFileBytes); }, &codexTokenFromAuthFile);
}
