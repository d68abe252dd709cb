#include "providers/ProviderSetup.h"

#include "providers/AccountSetup.h"
#include "providers/PlatformKeychain.h"
#include "providers/ProviderRegistry.h"

#include <QHostAddress>

#include <cstdio>
#include <mutex>

using namespace Qt::StringLiterals;

namespace {

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

std::optional<ProviderSetup> makeProviderSetup(QString *error)
{
    std::optional<EndpointOverrides> overrides = endpointOverrides(error);
    if (!overrides)
        return std::nullopt;
    // Said once, so that nobody mistakes a substitute service's numbers for
    // the real ones.
    static std::once_flag announced;
    std::call_once(announced, [] {
        for (const QString &line : endpointOverrideNotices())
            std::fprintf(stderr, "%s\n", qUtf8Printable(line));
    });
    std::shared_ptr<const CredentialStore> store = createPlatformCredentialStore();
    ProviderSetup setup;
    for (const ProviderDescriptor &descriptor : providerDescriptors())
        setup.providers.append(
            descriptor.make(overrides->value(descriptor.look.id, descriptor.endpoint), descriptor.credentials(store)));
    setup.accounts = [endpoints = *overrides](const QList<ExtraAccount> &accounts) {
        return makeAccountProviders(accounts, [&endpoints](const ProviderDescriptor &descriptor) {
            return endpoints.value(descriptor.look.id, descriptor.endpoint);
        });
    };
    return setup;
}

QStringList endpointOverrideNotices()
{
    QStringList notices;
    for (const ProviderDescriptor &descriptor : providerDescriptors()) {
        const QByteArray variable = overrideVariable(descriptor);
        const QString value = qEnvironmentVariable(variable.constData());
        if (!value.isEmpty())
            notices.append(
                u"quotix: %1 usage from %2 (%3)"_s.arg(descriptor.look.name, value, QLatin1StringView(variable)));
    }
    return notices;
}

std::optional<EndpointOverrides> endpointOverrides(QString *error)
{
    EndpointOverrides overrides;
    for (const ProviderDescriptor &descriptor : providerDescriptors()) {
        QString overrideError;
        const std::optional<QUrl> url = endpointOverride(overrideVariable(descriptor).constData(), &overrideError);
        if (!overrideError.isEmpty()) {
            *error = overrideError;
            return std::nullopt;
        }
        if (url)
            overrides.insert(descriptor.look.id, *url);
    }
    return overrides;
}
