#include "providers/ClaudeUsage.h"

#include "providers/Rfc3339.h"
#include "providers/StrictJson.h"

#include <QJsonArray>
#include <QJsonValue>
#include <QList>

#include <algorithm>
#include <cmath>

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

namespace {

constexpr qint64 FiveHours = 5 * 3600;
constexpr qint64 SevenDays = 7 * 24 * 3600;

std::optional<QDateTime> resetOf(const QJsonObject &object)
{
    const QJsonValue resetsAt = object.value("resets_at"_L1);
    return resetsAt.isString() ? parseRfc3339(resetsAt.toString()) : std::nullopt;
}

// "weekly_cowork" reads "Weekly cowork".
QString nameFromKind(const QString &kind)
{
    QString name = kind;
    name.replace(u'_', u' ');
    name = name.simplified();
    if (!name.isEmpty())
        name[0] = name.at(0).toUpper();
    return name;
}

// The model's or the surface's name; a surface may be sent as a bare name.
std::optional<QString> scopeName(const QJsonValue &scope)
{
    if (!scope.isObject())
        return std::nullopt;
    for (const QLatin1StringView part : {"model"_L1, "surface"_L1}) {
        const QJsonValue value = scope.toObject().value(part);
        if (value.isString() && !value.toString().trimmed().isEmpty())
            return value.toString().trimmed();
        if (!value.isObject())
            continue;
        for (const QLatin1StringView key : {"display_name"_L1, "name"_L1, "id"_L1}) {
            const QJsonValue name = value.toObject().value(key);
            if (name.isString() && !name.toString().trimmed().isEmpty())
                return name.toString().trimmed();
        }
    }
    return std::nullopt;
}

// One entry of "limits"; absent when it is not an object with a text kind and
// a number for its percent.
std::optional<UsageLimit> limitEntry(const QJsonValue &value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject entry = value.toObject();
    const QJsonValue kindValue = entry.value("kind"_L1);
    const QJsonValue percent = entry.value("percent"_L1);
    if (!kindValue.isString() || kindValue.toString().trimmed().isEmpty() || !percent.isDouble())
        return std::nullopt;
    const QString kind = kindValue.toString().trimmed();
    const QJsonValue groupValue = entry.value("group"_L1);
    // Without a group the kind's own word says which window it belongs to.
    const QString group = groupValue.isString() ? groupValue.toString() : kind.section(u'_', 0, 0);

    UsageLimit limit;
    limit.utilization = percent.toDouble();
    limit.resetTime = resetOf(entry);
    limit.scope = scopeName(entry.value("scope"_L1));
    if (group == "session"_L1) {
        limit.kind = LimitKind::Session;
        limit.windowSeconds = FiveHours;
    } else if (group == "weekly"_L1) {
        limit.kind = LimitKind::Weekly;
        limit.windowSeconds = SevenDays;
    }
    if (limit.scope)
        limit.name = limit.kind == LimitKind::Session ? *limit.scope + u" (5h)"_s : *limit.scope;
    else if (kind == "session"_L1)
        limit.name = u"Session (5h)"_s;
    else if (kind == "weekly_all"_L1)
        limit.name = u"Weekly (7d)"_s;
    else
        limit.name = nameFromKind(kind);
    if (limit.name.isEmpty()) // a kind of nothing but underscores
        return std::nullopt;
    return limit;
}

// The same window told twice: of the same kind and by the same name.
bool sameWindow(const UsageLimit &a, const UsageLimit &b)
{
    return a.kind == b.kind && a.name.compare(b.name, Qt::CaseInsensitive) == 0;
}

// Session first, then the week with the account's own limit before the
// scoped ones, then the rest; the service's order otherwise.
int rank(const UsageLimit &limit)
{
    const int kind = limit.kind == LimitKind::Session ? 0 : limit.kind == LimitKind::Weekly ? 2 : 4;
    return kind + (limit.scope ? 1 : 0);
}

std::optional<int> integralNumber(const QJsonValue &value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (!std::isfinite(number) || std::trunc(number) != number || number < 0 || number > 9)
        return std::nullopt;
    return int(number);
}

std::optional<Money> moneyOf(double amount, int exponent, const QString &currency)
{
    const double minor = std::round(amount);
    if (!std::isfinite(minor) || std::abs(minor) > 1e15)
        return std::nullopt;
    return Money{qint64(minor), exponent, currency};
}

// {"amount_minor": 1250, "currency": "EUR", "exponent": 2}
std::optional<Money> moneyObject(const QJsonValue &value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    const QJsonValue amount = object.value("amount_minor"_L1);
    const QJsonValue currency = object.value("currency"_L1);
    const std::optional<int> exponent = object.contains("exponent"_L1)
        ? integralNumber(object.value("exponent"_L1))
        : std::optional<int>(2);
    if (!amount.isDouble() || !exponent || (!currency.isUndefined() && !currency.isString()))
        return std::nullopt;
    return moneyOf(amount.toDouble(), *exponent, currency.toString().trimmed().toUpper());
}

// "extra_usage": amounts in minor units with "decimal_places" decimals.
std::optional<UsageCredits> extraUsage(const QJsonValue &value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    if (object.value("is_enabled"_L1) != QJsonValue(true))
        return std::nullopt;
    const QJsonValue used = object.value("used_credits"_L1);
    const QJsonValue limit = object.value("monthly_limit"_L1);
    const std::optional<int> exponent = object.contains("decimal_places"_L1)
        ? integralNumber(object.value("decimal_places"_L1))
        : std::optional<int>(2);
    if (!used.isDouble() || !limit.isDouble() || !exponent)
        return std::nullopt;
    const QString currency = object.value("currency"_L1).toString().trimmed().toUpper();
    UsageCredits credits;
    credits.used = moneyOf(used.toDouble(), *exponent, currency);
    credits.limit = moneyOf(limit.toDouble(), *exponent, currency);
    if (!credits.used || !credits.limit)
        return std::nullopt;
    const QJsonValue utilization = object.value("utilization"_L1);
    if (utilization.isDouble())
        credits.utilization = utilization.toDouble();
    return credits;
}

// "spend": the same credits with each amount as a money object. Only the
// money's form is known for sure, so the usual names of both amounts are read.
std::optional<UsageCredits> spend(const QJsonValue &value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    if (object.value("is_enabled"_L1) == QJsonValue(false))
        return std::nullopt;
    const auto first = [&](std::initializer_list<QLatin1StringView> keys) -> std::optional<Money> {
        for (const QLatin1StringView key : keys) {
            if (const auto money = moneyObject(object.value(key)))
                return money;
        }
        return std::nullopt;
    };
    UsageCredits credits;
    credits.used = first({"used"_L1, "used_credits"_L1, "spent"_L1, "amount"_L1});
    credits.limit = first({"limit"_L1, "monthly_limit"_L1, "cap"_L1});
    if (!credits.used || !credits.limit)
        return std::nullopt;
    const QJsonValue utilization = object.value("utilization"_L1);
    if (utilization.isDouble())
        credits.utilization = utilization.toDouble();
    return credits;
}

} // namespace

ProviderUsageResponse parseClaudeUsage(const QJsonObject &object)
{
    ProviderUsageResponse response;
    // Each entry of "limits" is a row of its own.
    for (const QJsonValue &entry : object.value("limits"_L1).toArray()) {
        if (const std::optional<UsageLimit> limit = limitEntry(entry)) {
            const bool told = std::any_of(response.limits.cbegin(), response.limits.cend(),
                                          [&](const UsageLimit &known) { return sameWindow(known, *limit); });
            if (!told)
                response.limits.append(*limit);
        }
    }

    struct Row
    {
        // The first of the keys that holds an object is read.
        QList<QLatin1StringView> keys;
        QLatin1StringView label;
        LimitKind kind;
        qint64 windowSeconds;
        std::optional<QString> scope;
    };
    // Today's answers name the Sonnet window "seven_day_sonnet"; "sonnet_only"
    // is the older name and wins when both are sent. A model's own weekly cap
    // counts with the week, as the same cap told by "limits" does.
    static const Row rows[] = {
        {{"five_hour"_L1}, "Session (5h)"_L1, LimitKind::Session, FiveHours, std::nullopt},
        {{"seven_day"_L1}, "Weekly (7d)"_L1, LimitKind::Weekly, SevenDays, std::nullopt},
        {{"sonnet_only"_L1, "seven_day_sonnet"_L1}, "Sonnet"_L1, LimitKind::Weekly, SevenDays, u"Sonnet"_s},
        {{"seven_day_opus"_L1}, "Opus"_L1, LimitKind::Weekly, SevenDays, u"Opus"_s},
    };
    // A legacy key fills only what "limits" lacks.
    const qsizetype fromLimits = response.limits.size();
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
        limit.scope = row.scope;
        const QJsonValue utilization = window.value("utilization"_L1);
        limit.utilization = utilization.isDouble() ? utilization.toDouble() : 0.0;
        limit.resetTime = resetOf(window);
        const bool told = std::any_of(response.limits.cbegin(), response.limits.cbegin() + fromLimits,
                                      [&](const UsageLimit &known) { return sameWindow(known, limit); });
        if (!told)
            response.limits.append(limit);
    }
    std::stable_sort(response.limits.begin(), response.limits.end(),
                         [](const UsageLimit &a, const UsageLimit &b) { return rank(a) < rank(b); });

    // The newer form of the credits wins when both are sent.
    response.credits = spend(object.value("spend"_L1));
    if (!response.credits)
        response.credits = extraUsage(object.value("extra_usage"_L1));
    return response;
}
