#include "providers/KeychainService.h"

#include "providers/CredentialParsing.h"

#include <utility>

using namespace Qt::StringLiterals;

KeychainService::KeychainService(std::shared_ptr<const KeychainTool> tool)
    : m_tool(std::move(tool))
{
}

std::optional<QString> KeychainService::getAccessToken() const
{
    if (std::optional<QString> token = getTokenFromKeychain(u"Claude Code-credentials"_s))
        return token;
    return getTokenFromKeychain(u"Claude Code"_s);
}

std::optional<QString> KeychainService::getTokenFromKeychain(const QString &service) const
{
    if (!m_tool)
        return std::nullopt;
    const ToolResult result = m_tool->findGenericPassword(service);
    if (!result.launched || result.exitStatus != 0)
        return std::nullopt;
    return claudeTokenFromKeychainOutput(result.output);
}
