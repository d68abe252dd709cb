#include "demo/DemoSetup.h"

#include "demo/DemoData.h"
#include "demo/UsageService.h"
#include "providers/AccountSetup.h"
#include "providers/ProviderRegistry.h"

using namespace Qt::StringLiterals;

std::optional<ProviderSetup> makeDemoProviderSetup(QString *error)
{
    // Checked even for the demo, which does not use them: a bad value is a
    // configuration fault the user should hear about either way.
    if (!endpointOverrides(error))
        return std::nullopt;

    auto service = std::make_unique<UsageService>();
    DemoData::serveDemoDocuments(*service);
    if (!service->listen()) {
        *error = u"quotix: cannot start the demo service on 127.0.0.1: "_s + service->errorString();
        return std::nullopt;
    }
    ProviderSetup setup;
    for (const ProviderDescriptor &descriptor : providerDescriptors()) {
        // The demo's own token: no store or file of the user's is ever read.
        const StoredLogin login{u"quotix-demo-%1-token"_s.arg(descriptor.look.id), std::nullopt};
        QUrl endpoint = service->url(descriptor.endpoint.path());
        endpoint.setQuery(descriptor.endpoint.query());
        setup.providers.append(descriptor.make(endpoint, [login] { return std::optional(login); }));
    }
    // Extra accounts read the demo's token too, and ask the same service.
    setup.accounts = [base = service->url(u"/"_s)](const QList<ExtraAccount> &accounts) {
        return makeAccountProviders(
            accounts,
            [&base](const ProviderDescriptor &descriptor) {
                QUrl endpoint = base;
                endpoint.setPath(descriptor.endpoint.path());
                endpoint.setQuery(descriptor.endpoint.query());
                return endpoint;
            },
            [](const ProviderDescriptor &descriptor, const ExtraAccount &) -> LoginReader {
                const StoredLogin login{u"quotix-demo-%1-token"_s.arg(descriptor.look.id), std::nullopt};
                return [login] { return std::optional(login); };
            });
    };
    setup.demoService = std::move(service);
    return setup;
}

std::optional<ProviderSetup> makeProviderSetup(bool demo, QString *error)
{
    return demo ? makeDemoProviderSetup(error) : makeProviderSetup(error);
}
