#include "providers/copilot/CopilotUsage.h"

#include "core/UtcZone.h"
#include "providers/Rfc3339.h"
#include "providers/StrictJson.h"

#include <QJsonObject>

#include <cmath>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// A calendar month as the pace reads it.
constexpr qint64 MonthSeconds = 30 * 24 * 3600;

struct Quota
{
    QLatin1StringView key;
    QString name;
};

const Quota Quotas[] = {
    {"premium_interactions"_L1, u"Premium requests"_s},
    {"chat"_L1, u"Chat"_s},
    {"completions"_L1, u"Completions"_s},
};

ProviderError malformed(const QString &what)
{
    return ProviderError::decodingError(what);
}

// "quota_reset_date_utc", else the date of "quota_reset_date" at midnight UTC.
std::optional<QDateTime> resetTimeOf(const QJsonObject &answer)
{
    const QJsonValue utc = answer.value("quota_reset_date_utc"_L1);
    if (utc.isString())
        return parseRfc3339(utc.toString());
    const QJsonValue date = answer.value("quota_reset_date"_L1);
    if (!date.isString())
        return std::nullopt;
    const QDate day = QDate::fromString(date.toString(), Qt::ISODate);
    if (!day.isValid())
        return std::nullopt;
    return QDateTime(day, QTime(0, 0), utcZone());
}

} // namespace

FetchResult copilotResultFor(int status, const QByteArray &body, const QString &providerName)
{
    std::variant<QJsonObject, FetchResult> decoded = answerObject(status, body, providerName);
    if (auto *failure = std::get_if<FetchResult>(&decoded))
        return std::move(*failure);
    const QJsonObject answer = std::get<QJsonObject>(std::move(decoded));
    const QJsonValue snapshots = answer.value("quota_snapshots"_L1);
    if (!snapshots.isObject())
        return malformed(u"quota_snapshots is missing or not an object"_s);

    ProviderUsageResponse usage;
    const std::optional<QDateTime> reset = resetTimeOf(answer);
    for (const Quota &quota : Quotas) {
        const QJsonValue value = snapshots.toObject().value(quota.key);
        if (value.isUndefined() || value.isNull())
            continue;
        const QJsonObject snapshot = value.toObject();
        const QJsonValue unlimited = snapshot.value("unlimited"_L1);
        if (!value.isObject() || !unlimited.isBool())
            return malformed(u"quota_snapshots.%1.unlimited is missing or not a Bool"_s.arg(quota.key));
        if (unlimited.toBool()) {
            if (quota.key == "premium_interactions"_L1)
                usage.unlimited.append(quota.name);
            continue;
        }
        const QJsonValue remaining = snapshot.value("percent_remaining"_L1);
        if (!remaining.isDouble() || !std::isfinite(remaining.toDouble()))
            return malformed(u"quota_snapshots.%1.percent_remaining is missing or not a number"_s.arg(quota.key));
        UsageLimit limit;
        limit.name = quota.name;
        limit.utilization = 100.0 - remaining.toDouble();
        limit.resetTime = reset;
        limit.kind = LimitKind::Other;
        limit.windowSeconds = MonthSeconds;
        usage.limits.append(limit);
    }
    return usage;
}

std::optional<StoredLogin> copilotLoginFromFile(const QByteArray &contents)
{
    const std::optional<QJsonDocument> document = parseStrictJson(contents);
    if (!document || !document->isObject())
        return std::nullopt;
    const QJsonObject hosts = document->object();
    // QJsonObject sorts its keys; the order of the file is not kept, and
    // sorted order is as good a rule as any that stays the same.
    for (auto host = hosts.constBegin(); host != hosts.constEnd(); ++host) {
        if (host.key() != "github.com"_L1 && !host.key().startsWith("github.com:"_L1))
            continue;
        const QJsonValue token = host.value().toObject().value("oauth_token"_L1);
        if (token.isString() && !token.toString().trimmed().isEmpty())
            return StoredLogin{token.toString().trimmed(), std::nullopt};
    }
    return std::nullopt;
}
