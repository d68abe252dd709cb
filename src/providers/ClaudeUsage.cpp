#include "providers/ClaudeUsage.h"

#include "providers/Rfc3339.h"
#include "providers/StrictJson.h"

#include <QJsonValue>
#include <QList>

#include <algorithm>

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
    constexpr qint64 FiveHours = 5 * 3600;
    constexpr qint64 SevenDays = 7 * 24 * 3600;
    struct Row
    {
        // The first of the keys that holds an object is read.
        QList<QLatin1StringView> keys;
        QLatin1StringView label;
        LimitKind kind;
        qint64 windowSeconds;
    };
    // Today's answers name the Sonnet window "seven_day_sonnet"; "sonnet_only"
    // is the older name and wins when both are sent.
    static const Row rows[] = {
        {{"five_hour"_L1}, "Session (5h)"_L1, LimitKind::Session, FiveHours},
        {{"seven_day"_L1}, "Weekly (7d)"_L1, LimitKind::Weekly, SevenDays},
        {{"sonnet_only"_L1, "seven_day_sonnet"_L1}, "Sonnet"_L1, LimitKind::Other, SevenDays},
        {{"seven_day_opus"_L1}, "Opus"_L1, LimitKind::Other, SevenDays},
    };
    ProviderUsageResponse response;
    for (const Row &row : rows) {
        const auto key = std::find_if(row.keys.cbegin(), row.keys.cend(),
                                      [&](QLatin1StringView k) { return object.value(k).isObject(); });
        if (key == row.keys.cend())
            continue;
        const QJsonObject window = object.value(*key).toObject();
        UsageLimit limit;
        limit.name = row.label;
        limit.kind = row.kind;
        limit.windowSeconds = row.windowSeconds;
        const QJsonValue utilization = window.value("utilization"_L1);
        limit.utilization = utilization.isDouble() ? utilization.toDouble() : 0.0;
        const QJsonValue resetsAt = window.value("resets_at"_L1);
        if (resetsAt.isString())
            limit.resetTime = parseRfc3339(resetsAt.toString());
        response.limits.append(limit);
    }
    return response;
}
