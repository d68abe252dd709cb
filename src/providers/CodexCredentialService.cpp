#include "providers/CodexCredentialService.h"

#include "providers/CredentialItems.h"
#include "providers/CredentialParsing.h"
#include "providers/SmallFile.h"

#include <utility>

CodexCredentialService::CodexCredentialService(std::shared_ptr<const CredentialStore> store, QString authFilePath)
    : m_store(std::move(store))
    , m_authFilePath(std::move(authFilePath))
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
    const std::optional<QByteArray> data = m_store ? m_store->find(CodexAuthItem) : std::nullopt;
    if (!data)
        return std::nullopt;
    return codexTokenFromKeychainOutput(*data);
}

std::optional<QString> CodexCredentialService::readFromAuthFile() const
{
    const std::optional<QByteArray> contents = readSmallFile(m_authFilePath, MaxCredentialFileBytes);
    if (!contents)
        return std::nullopt;
    return codexTokenFromAuthFile(*contents);
}
