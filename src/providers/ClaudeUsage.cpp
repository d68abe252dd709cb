#include "providers/ClaudeUsage.h"

#include "providers/Rfc3339.h"
#include "providers/StrictJson.h"

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
