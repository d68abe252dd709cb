#include "ProviderSetup.h"

#include "ClaudeProvider.h"
#include "CodexCredentialService.h"
#include "CodexProvider.h"
#include "DemoData.h"
#include "KeychainService.h"
#include "KeychainTool.h"
#include "PlatformKeychain.h"
#include "UsageService.h"

#include <QHostAddress>

using namespace Qt::StringLiterals;

namespace {

// The demo's credential store: it knows only the demo's own items, so the
// demo can never pick up, or send, the user's tokens.
class DemoKeychain : public KeychainTool
{
public:
    ToolResult findGenericPassword(const QString &service) const override
    {
        if (service == "Claude Code-credentials"_L1)
            return {true, 0, R"({"claudeAiOauth":{"accessToken":"quotix-demo-claude-token","scopes":["user:inference","user:profile"],"subscriptionType":"max"}})"_ba};
        if (service == "Codex Auth"_L1)
            return {true, 0, "quotix-demo-codex-token\n"_ba};
        return {true, 44, {}}; // the security tool's "item not found"
    }
};

// Never a file: /dev/null is not a folder. The demo keychain answers first
// anyway; this only makes sure no user file could ever be read instead.
const QString DemoAuthFilePath = u"/dev/null/quotix-demo/auth.json"_s;

bool isLoopbackHost(const QString &host)
{
    if (host.compare("localhost"_L1, Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

} // namespace

bool isAcceptableEndpoint(const QUrl &url)
{
    if (!url.isValid() || url.isRelative() || url.host().isEmpty())
        return false;
    // User info is never wanted here, and "http://127.0.0.1@elsewhere" is a
    // classic way to dress up another host as this one.
    if (!url.userInfo().isEmpty() || url.authority().contains(u'@'))
        return false;
    const QString scheme = url.scheme();
    if (scheme == "https"_L1)
        return true;
    return scheme == "http"_L1 && isLoopbackHost(url.host());
}

std::optional<QUrl> endpointOverride(const char *variable, QString *error)
{
    const QString value = qEnvironmentVariable(variable);
    if (value.isEmpty())
        return std::nullopt;
    const QUrl url(value, QUrl::StrictMode);
    if (!isAcceptableEndpoint(url)) {
        *error = u"quotix: %1 must be an https URL, or http to a loopback address (got \"%2\")"_s.arg(
            QLatin1StringView(variable), value);
        return std::nullopt;
    }
    return url;
}

std::optional<ProviderSetup> makeProviderSetup(bool demo, QString *error)
{
    // Checked even for the demo, which does not use them: a bad value is a
    // configuration fault the user should hear about either way.
    QString overrideError;
    const std::optional<QUrl> claudeUrl = endpointOverride(ClaudeUsageUrlVariable, &overrideError);
    if (!overrideError.isEmpty()) {
        *error = overrideError;
        return std::nullopt;
    }
    const std::optional<QUrl> codexUrl = endpointOverride(CodexUsageUrlVariable, &overrideError);
    if (!overrideError.isEmpty()) {
        *error = overrideError;
        return std::nullopt;
    }

    ProviderSetup setup;
    if (!demo) {
        std::shared_ptr<const KeychainTool> keychain = createPlatformKeychain();
        setup.providers = {
            std::make_shared<ClaudeProvider>(KeychainService(keychain), claudeUrl.value_or(ClaudeProvider::defaultEndpoint())),
            std::make_shared<CodexProvider>(CodexCredentialService(keychain, codexAuthFilePath()),
                                            codexUrl.value_or(CodexProvider::defaultEndpoint())),
        };
        return setup;
    }

    setup.demoService = std::make_unique<UsageService>();
    setup.demoService->setKeepsRequests(false);
    DemoData::serveDemoDocuments(*setup.demoService);
    if (!setup.demoService->listen()) {
        *error = u"quotix: cannot start the demo service on 127.0.0.1: "_s + setup.demoService->errorString();
        return std::nullopt;
    }
    const auto keychain = std::make_shared<const DemoKeychain>();
    setup.providers = {
        std::make_shared<ClaudeProvider>(KeychainService(keychain), setup.demoService->url(UsageService::ClaudePath)),
        std::make_shared<CodexProvider>(CodexCredentialService(keychain, DemoAuthFilePath),
                                        setup.demoService->url(UsageService::CodexPath)),
    };
    return setup;
}
