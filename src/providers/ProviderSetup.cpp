#include "providers/ProviderSetup.h"

#include "providers/ProviderRegistry.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace {

// QUrl has already normalised the host: IPv4 in dotted decimal ("127.1" is
// "127.0.0.1"), IPv6 compressed and without brackets ("::1").
bool isLoopbackHost(const QString &host)
{
    if (host.compare("localhost"_L1, Qt::CaseInsensitive) == 0 || host == "::1"_L1)
        return true;
    QString ipv4 = host;
    if (ipv4.startsWith("::ffff:"_L1, Qt::CaseInsensitive))
        ipv4 = ipv4.mid(7);
    const QStringList parts = ipv4.split(u'.');
    if (parts.size() != 4)
        return false;
    for (const QString &part : parts) {
        bool ok = false;
        const uint value = part.toUInt(&ok);
        if (!ok || value > 255 || part.isEmpty() || part.size() > 3)
            return false;
    }
    return parts.first().toUInt() == 127;
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
