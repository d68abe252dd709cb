#include "fetch/DemoSetup.h"

#include "fetch/ClaudeProvider.h"
#include "fetch/CodexProvider.h"
#include "fetch/GeminiProvider.h"
#include "fetch/HttpUsageProvider.h"
#include "fetch/NetworkSession.h"
#include "fetch/UsageService.h"
#include "providers/AccountSetup.h"
#include "providers/PlatformKeychain.h"
#include "providers/ProviderRegistry.h"
#include "providers/copilot/CopilotUsage.h"

#include <QCoreApplication>

#include <cstdio>
#include <mutex>

using namespace Qt::StringLiterals;

std::shared_ptr<UsageProvider> makeFetchingProvider(const ProviderDescriptor &provider, const QUrl &endpoint,
                                                    LoginReader login, const QString &loginFile,
                                                    const HttpOptions &options)
{
    const QString id = provider.look.id;
    if (id == "claude"_L1)
        return std::make_shared<ClaudeProvider>(std::move(login), endpoint, options);
    if (id == "codex"_L1)
        return std::make_shared<CodexProvider>(std::move(login), endpoint, options);
    if (id == "gemini"_L1)
        return std::make_shared<GeminiProvider>(std::move(login), endpoint, options, loginFile);
    Q_ASSERT(id == "copilot"_L1);
    return std::make_shared<HttpUsageProvider>(
        ProviderIdentity{u"copilot"_s, u"Copilot"_s},
        UsageEndpoint{endpoint,
                      {{"Accept"_ba, "application/json"_ba}, {"User-Agent"_ba, QByteArrayLiteral(QUOTIX_USER_AGENT)}},
                      std::nullopt},
        CredentialReader{std::move(login),
                         QCoreApplication::translate("Common", "Sign in to GitHub Copilot in your editor again.")},
        [](int status, const QByteArray &body) { return copilotResultFor(status, body, u"Copilot"_s); }, options);
}

namespace {

LoginReader readingOnce(const ProviderDescriptor &descriptor, LoginReader read, LoginReads reads)
{
    // Gemini stamps its login file around each read to key its project
    // cache; it keeps reading for itself.
    if (reads == LoginReads::EveryTime || descriptor.look.id == "gemini"_L1)
        return read;
    auto kept = std::make_shared<std::optional<std::optional<StoredLogin>>>();
    return [read = std::move(read), kept] {
        if (!*kept)
            *kept = read();
        return **kept;
    };
}

} // namespace

std::optional<ProviderSetup> makeProviderSetup(QString *error, bool announce, LoginReads reads)
{
    std::optional<EndpointOverrides> overrides = endpointOverrides(error);
    if (!overrides)
        return std::nullopt;
    // Said once, so that nobody mistakes a substitute service's numbers for
    // the real ones.
    static std::once_flag announced;
    if (announce) {
        std::call_once(announced, [] {
            for (const QString &line : endpointOverrideNotices())
                std::fprintf(stderr, "%s\n", qUtf8Printable(line));
        });
    }
    std::shared_ptr<const CredentialStore> store = createPlatformCredentialStore();
    HttpOptions options;
    options.session = std::make_shared<NetworkSession>();
    ProviderSetup setup;
    for (const ProviderDescriptor &descriptor : providerDescriptors())
        setup.providers.append(makeFetchingProvider(
            descriptor, overrides->value(descriptor.look.id, descriptor.endpoint),
            readingOnce(descriptor, descriptor.credentials(store), reads),
            descriptor.credentialFiles ? descriptor.credentialFiles().value(0) : QString(), options));
    setup.accounts = [endpoints = *overrides, options, reads](const QList<ExtraAccount> &accounts) {
        return makeAccountProviders(
            accounts, [&](const ProviderDescriptor &descriptor, const ExtraAccount &account, const QString &) {
                return makeFetchingProvider(
                    descriptor, endpoints.value(descriptor.look.id, descriptor.endpoint),
                    readingOnce(descriptor, descriptor.accountCredentials(account.folder), reads),
                    descriptor.accountCredentialFile ? descriptor.accountCredentialFile(account.folder) : QString(),
                    options);
            });
    };
    return setup;
}

namespace {

// The demo's own token: no store or file of the user's is ever read.
LoginReader demoLogin(const ProviderDescriptor &descriptor)
{
    const StoredLogin login{u"quotix-demo-%1-token"_s.arg(descriptor.look.id), std::nullopt};
    return [login] { return std::optional(login); };
}

QUrl demoEndpoint(const QUrl &base, const ProviderDescriptor &descriptor)
{
    QUrl endpoint = base;
    endpoint.setPath(descriptor.endpoint.path());
    endpoint.setQuery(descriptor.endpoint.query());
    return endpoint;
}

} // namespace

std::optional<ProviderSetup> makeDemoProviderSetup(QString *error, int answeredBefore)
{
    // Checked even for the demo, which does not use them: a bad value is a
    // configuration fault the user should hear about either way.
    if (!endpointOverrides(error))
        return std::nullopt;

    auto service = std::make_unique<UsageService>();
    DemoData::serveDemoDocuments(*service, answeredBefore);
    if (!service->listen()) {
        *error = u"quotix: cannot start the demo service on 127.0.0.1: "_s + service->errorString();
        return std::nullopt;
    }
    const QUrl base = service->url(u"/"_s);
    HttpOptions options;
    options.session = std::make_shared<NetworkSession>();
    ProviderSetup setup;
    for (const ProviderDescriptor &descriptor : providerDescriptors())
        setup.providers.append(
            makeFetchingProvider(descriptor, demoEndpoint(base, descriptor), demoLogin(descriptor), {}, options));
    // Extra accounts read the demo's token too, and ask the same service.
    setup.accounts = [base, options](const QList<ExtraAccount> &accounts) {
        return makeAccountProviders(
            accounts, [&base, &options](const ProviderDescriptor &descriptor, const ExtraAccount &, const QString &) {
                return makeFetchingProvider(descriptor, demoEndpoint(base, descriptor), demoLogin(descriptor), {},
                                            options);
            });
    };
    setup.demoService = std::move(service);
    return setup;
}

std::optional<ProviderSetup> makeProviderSetup(bool demo, QString *error, LoginReads reads)
{
    return demo ? makeDemoProviderSetup(error) : makeProviderSetup(error, true, reads);
}

void DemoData::serveDemoDocuments(UsageService &service, int answeredBefore)
{
    for (const ProviderDescriptor &descriptor : providerDescriptors()) {
        for (const DemoAnswer &demo : descriptor.demo) {
            // Shared, since the service may copy the factory.
            auto answered = std::make_shared<int>(answeredBefore);
            service.setDefaultAnswerFactory(demo.path, [answered, body = demo.body] {
                ServiceAnswer answer;
                answer.body = body(QDateTime::currentDateTimeUtc(), (*answered)++);
                return answer;
            });
        }
    }
}
