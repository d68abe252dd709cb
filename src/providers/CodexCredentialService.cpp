#include "providers/CodexCredentialService.h"

#include "providers/CredentialParsing.h"
#include "providers/SmallFile.h"

#include <utility>

using namespace Qt::StringLiterals;

CodexCredentialService::CodexCredentialService(std::shared_ptr<const KeychainTool> tool, QString authFilePath)
    : m_tool(std::move(tool))
    , m_authFilePath(std::move(authFilePath))
{
}

std::optional<QString> CodexCredentialService::getAccessToken() const
{
    if (std::optional<QString> token = readFromKeychain())
        return token;
    return readFromAuthFile();
}

std::optional<QString> CodexCredentialService::readFromKeychain() const
{
    if (!m_tool)
        return std::nullopt;
    const ToolResult result = m_tool->findGenericPassword(u"Codex Auth"_s);
    if (!result.launched || result.exitStatus != 0)
        return std::nullopt;
    return codexTokenFromKeychainOutput(result.output);
}

std::optional<QString> CodexCredentialService::readFromAuthFile() const
{
    const std::optional<QByteArray> contents = readSmallFile(m_authFilePath, MaxCredentialFileBytes);
    if (!contents)
        return std::nullopt;
    return codexTokenFromAuthFile(*contents);
}
