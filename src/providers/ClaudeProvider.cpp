#include "providers/ClaudeProvider.h"

#include "providers/Rfc3339.h"
#include "providers/StrictJson.h"
#include "providers/UsageRequest.h"

#include <QJsonValue>

#include <utility>

using namespace Qt::StringLiterals;

namespace {

bool mentionsMissingScope(const QByteArray &body)
{
    const std::optional<QJsonDocument> document = parseStrictJson(body);
    if (!document || !document->isObject())
        return false;
    const QJsonValue error = document->object().value("error"_L1);
    if (!error.isObject())
        return false;
    const QJsonValue message = error.toObject().value("message"_L1);
    return message.isString() && message.toString().contains("scope"_L1, Qt::CaseSensitive);
}

} // namespace

FetchResult claudeResultFor(int status, const QByteArray &body, const QString &providerName)
{
    if (status != 200) {
        // The scope test comes first, so a 401 about a scope says so.
        if (mentionsMissingScope(body))
            return ProviderError::scopeError(providerName);
        if (status == 401)
            return ProviderError::notLoggedIn(providerName);
        return ProviderError::apiError(status);
    }
    QJsonParseError parseError{};
    const std::optional<QJsonDocument> document = parseStrictJson(body, &parseError);
    if (!document)
        return OtherError{parseError.errorString()};
    if (!document->isObject())
        return ProviderError::invalidResponse();
    return parseClaudeUsage(document->object());
}

ProviderUsageResponse parseClaudeUsage(const QJsonObject &object)
{
    static const std::pair<QLatin1StringView, QLatin1StringView> windows[] = {
        {"five_hour"_L1, "Session (5h)"_L1},
        {"seven_day"_L1, "Weekly (7d)"_L1},
        {"sonnet_only"_L1, "Sonnet"_L1},
    };
    ProviderUsageResponse response;
    for (const auto &[key, label] : windows) {
        const QJsonValue value = object.value(key);
        if (!value.isObject())
            continue;
        const QJsonObject window = value.toObject();
        UsageLimit limit;
        limit.name = label;
        const QJsonValue utilization = window.value("utilization"_L1);
        limit.utilization = utilization.isDouble() ? utilization.toDouble() : 0.0;
        const QJsonValue resetsAt = window.value("resets_at"_L1);
        if (resetsAt.isString())
            limit.resetTime = parseRfc3339(resetsAt.toString());
        response.limits.append(limit);
    }
    return response;
}

ClaudeProvider::ClaudeProvider(KeychainService keychain, QUrl endpoint, HttpOptions options)
    : m_keychainService(std::move(keychain))
    , m_endpoint(std::move(endpoint))
    , m_options(options)
{
}

QUrl ClaudeProvider::defaultEndpoint()
{
    return QUrl(u"https://api.anthropic.com/api/oauth/usage"_s);
}

QString ClaudeProvider::id() const { return u"claude"_s; }
QString ClaudeProvider::name() const { return u"Claude"_s; }
QString ClaudeProvider::icon() const { return u"\U0001F916"_s; }
std::optional<QString> ClaudeProvider::iconName() const { return u"claude-icon"_s; }
NamedColor ClaudeProvider::accentColor() const { return NamedColor::Orange; }

bool ClaudeProvider::isAvailable() const
{
    return m_keychainService.getAccessToken().has_value();
}

FetchJob *ClaudeProvider::fetchUsage(QObject *parent)
{
    const HeaderList headers = {
        {"Accept"_ba, "application/json"_ba},
        {"Content-Type"_ba, "application/json"_ba},
        {"User-Agent"_ba, "Quotix/1.0"_ba},
        {"anthropic-beta"_ba, "oauth-2025-04-20"_ba},
    };
    return UsageRequest::send(parent, m_session, m_keychainService.getAccessToken(), name(), m_endpoint, headers, m_options,
                              [providerName = name()](int status, const QByteArray &body) {
                                  return claudeResultFor(status, body, providerName);
                              });
}
