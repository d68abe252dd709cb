#include "demo/DemoSetup.h"

#include "demo/DemoData.h"
#include "demo/UsageService.h"
#include "providers/AccountSetup.h"
#include "providers/ClaudeProvider.h"
#include "providers/CodexCredentialService.h"
#include "providers/CodexProvider.h"
#include "providers/CredentialItems.h"
#include "providers/KeychainService.h"

using namespace Qt::StringLiterals;

namespace {

// The demo's credential store: it knows only the demo's own items, so the
// demo can never pick up, or send, the user's tokens.
class DemoCredentials : public CredentialStore
{
public:
    std::optional<QByteArray> find(const QString &item) const override
    {
        if (item == ClaudeCredentialsItem)
            return R"({"claudeAiOauth":{"accessToken":"quotix-demo-claude-token","scopes":["user:inference","user:profile"],"subscriptionType":"max"}})"_ba;
        if (item == CodexAuthItem)
            return "quotix-demo-codex-token\n"_ba;
        return std::nullopt;
    }
};

// Never a file: /dev/null is not a folder. The demo store answers first
// anyway; this only makes sure no user file could ever be read instead.
const QString DemoAuthFilePath = u"/dev/null/quotix-demo/auth.json"_s;

} // namespace

std::optional<ProviderSetup> makeDemoProviderSetup(QString *error)
{
    // Checked even for the demo, which does not use them: a bad value is a
    // configuration fault the user should hear about either way.
    if (!endpointOverrides(error))
        return std::nullopt;

    auto service = std::make_unique<UsageService>();
    service->setKeepsRequests(false);
    DemoData::serveDemoDocuments(*service);
    if (!service->listen()) {
        *error = u"quotix: cannot start the demo service on 127.0.0.1: "_s + service->errorString();
        return std::nullopt;
    }
    const auto credentials = std::make_shared<const DemoCredentials>();
    ProviderSetup setup;
    setup.providers = {
        std::make_shared<ClaudeProvider>(KeychainService(credentials), service->url(UsageService::ClaudePath)),
        std::make_shared<CodexProvider>(CodexCredentialService(credentials, DemoAuthFilePath),
                                        service->url(UsageService::CodexPath)),
    };
    // Extra accounts read the demo's items too, and ask the same service.
    setup.accounts = [credentials, claude = service->url(UsageService::ClaudePath),
                      codex = service->url(UsageService::CodexPath)](const QList<ExtraAccount> &accounts) {
        return makeAccountProviders(
            accounts, [&](const QString &provider) { return provider == u"codex" ? codex : claude; }, credentials);
    };
    setup.demoService = std::move(service);
    return setup;
}

std::optional<ProviderSetup> makeProviderSetup(bool demo, QString *error)
{
    return demo ? makeDemoProviderSetup(error) : makeProviderSetup(error);
}
