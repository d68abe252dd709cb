#include "fetch/ClaudeProvider.h"

#include "providers/ProviderRegistry.h"

#include <QCoreApplication>

#include <utility>

using namespace Qt::StringLiterals;

ClaudeProvider::ClaudeProvider(KeychainService keychain, QUrl endpoint, HttpOptions options)
    : ClaudeProvider([keychain = std::move(keychain)] { return keychain.getLogin(); }, std::move(endpoint), options)
{}

ClaudeProvider::ClaudeProvider(std::function<std::optional<StoredLogin>()> login, QUrl endpoint, HttpOptions options)
    : HttpUsageProvider(
        {u"claude"_s, u"Claude"_s},
        {std::move(endpoint),
         {{"Accept"_ba, "application/json"_ba},
          {"Content-Type"_ba, "application/json"_ba},
          {"User-Agent"_ba, QByteArrayLiteral(QUOTIX_USER_AGENT)},
          {"anthropic-beta"_ba, "oauth-2025-04-20"_ba}}},
        {std::move(login), QCoreApplication::translate("Common", "Open Claude Code once to renew it.")},
        [](int status, const QByteArray &body) { return claudeResultFor(status, body, u"Claude"_s); }, options)
{}

QUrl ClaudeProvider::defaultEndpoint()
{
    return findProviderDescriptor(u"claude"_s)->endpoint;
}
