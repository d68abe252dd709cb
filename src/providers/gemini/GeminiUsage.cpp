#include "providers/gemini/GeminiUsage.h"

#include "core/UtcZone.h"
#include "providers/Rfc3339.h"
#include "providers/StrictJson.h"

#include <QJsonArray>
#include <QJsonObject>

#include <cmath>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

std::optional<QJsonObject> objectOf(const QByteArray &body)
{
    const std::optional<QJsonDocument> document = parseStrictJson(body);
    if (!document || !document->isObject())
        return std::nullopt;
    return document->object();
}

// A bucket's row, or the reason it is not one.
std::variant<UsageLimit, QString> limitOf(const QJsonValue &value, qsizetype index)
{
    const QString at = u"buckets[%1]"_s.arg(index);
    if (!value.isObject())
        return at + u" is not an object"_s;
    const QJsonObject bucket = value.toObject();
    const QJsonValue model = bucket.value("modelId"_L1);
    if (!model.isString() || model.toString().isEmpty())
        return at + u".modelId is missing or not a String"_s;
    const QJsonValue remaining = bucket.value("remainingFraction"_L1);
    if (!remaining.isDouble() || !std::isfinite(remaining.toDouble()))
        return at + u".remainingFraction is missing or not a number"_s;
    UsageLimit limit;
    limit.name = model.toString();
    // Several kinds of token for one model each get their own row.
    const QJsonValue tokenType = bucket.value("tokenType"_L1);
    if (tokenType.isString() && !tokenType.toString().isEmpty() && tokenType.toString() != "REQUESTS"_L1)
        limit.name += u" ("_s + tokenType.toString().toLower() + u')';
    limit.utilization = (1.0 - remaining.toDouble()) * 100.0;
    limit.kind = LimitKind::Other;
    const QJsonValue reset = bucket.value("resetTime"_L1);
    if (!reset.isUndefined() && !reset.isNull()) {
        limit.resetTime = reset.isString() ? parseRfc3339(reset.toString()) : std::nullopt;
        if (!limit.resetTime)
            return at + u".resetTime is not an RFC 3339 time"_s;
    }
    return limit;
}

} // namespace

FetchResult geminiResultFor(int status, const QByteArray &body, const QString &providerName)
{
    std::variant<QJsonObject, FetchResult> decoded = answerObject(status, body, providerName);
    if (auto *failure = std::get_if<FetchResult>(&decoded))
        return std::move(*failure);
    const QJsonValue buckets = std::get<QJsonObject>(decoded).value("buckets"_L1);
    if (!buckets.isArray())
        return ProviderError::decodingError(u"buckets is missing or not an Array"_s);
    ProviderUsageResponse usage;
    const QJsonArray list = buckets.toArray();
    for (qsizetype i = 0; i < list.size(); ++i) {
        auto limit = limitOf(list.at(i), i);
        if (const auto *reason = std::get_if<QString>(&limit))
            return ProviderError::decodingError(*reason);
        usage.limits.append(std::get<UsageLimit>(limit));
    }
    return usage;
}

std::optional<QString> geminiProjectFrom(const QByteArray &body)
{
    const std::optional<QJsonObject> answer = objectOf(body);
    if (!answer)
        return std::nullopt;
    QJsonValue project = answer->value("cloudaicompanionProject"_L1);
    if (project.isObject())
        project = project.toObject().value("id"_L1);
    if (!project.isString() || project.toString().trimmed().isEmpty())
        return std::nullopt;
    return project.toString().trimmed();
}

std::optional<StoredLogin> geminiLoginFromFile(const QByteArray &contents)
{
    const std::optional<QJsonObject> creds = objectOf(contents);
    if (!creds)
        return std::nullopt;
    const QJsonValue token = creds->value("access_token"_L1);
    if (!token.isString() || token.toString().trimmed().isEmpty())
        return std::nullopt;
    StoredLogin login{token.toString().trimmed(), std::nullopt};
    const QJsonValue expiry = creds->value("expiry_date"_L1);
    // Only a moment a date can show: beyond that the file is not believed.
    if (expiry.isDouble() && std::isfinite(expiry.toDouble()) && std::abs(expiry.toDouble()) < 1e15)
        login.expiresAt = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(expiry.toDouble()), utcZone());
    return login;
}

QUrl geminiProjectEndpoint(const QUrl &quotaEndpoint)
{
    QUrl url = quotaEndpoint;
    const QString path = url.path();
    const qsizetype colon = path.lastIndexOf(u':');
    const QString base = colon > path.lastIndexOf(u'/') ? path.left(colon) : path;
    url.setPath(base + u":loadCodeAssist"_s);
    url.setQuery(QString());
    return url;
}
