#include "providers/CodexUsage.h"

#include "core/UtcZone.h"
#include "providers/StrictJson.h"

#include <QDate>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QStringList>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

QString describeType(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::Null: return u"null"_s;
    case QJsonValue::Bool: return u"a boolean"_s;
    case QJsonValue::Double: return u"a number"_s;
    case QJsonValue::String: return u"a string"_s;
    case QJsonValue::Array: return u"an array"_s;
    case QJsonValue::Object: return u"an object"_s;
    case QJsonValue::Undefined: break;
    }
    return u"nothing"_s;
}

// Walks the document, remembering where it is, and keeps the first error.
class Decoder
{
public:
    bool failed() const { return !m_error.isEmpty(); }
    QString error() const { return m_error; }

    // The value of a member, or absent when it may be skipped. For a required
    // member a missing key or null is an error.
    std::optional<QJsonValue> member(const QJsonObject &object, QLatin1StringView key, const char *expected,
                                     bool required)
    {
        if (failed())
            return std::nullopt;
        const auto it = object.constFind(key);
        if (it == object.constEnd()) {
            if (required)
                fail(u"Key '%1' not found at %2"_s.arg(key, where()));
            return std::nullopt;
        }
        const QJsonValue value = it.value();
        if (value.isNull()) {
            if (required)
                fail(u"Value not found at %1: expected %2, found null"_s.arg(where(key), QLatin1StringView(expected)));
            return std::nullopt;
        }
        return value;
    }

    void mismatch(QLatin1StringView key, const char *expected, const QString &found)
    {
        fail(u"Type mismatch at %1: expected %2, found %3"_s.arg(where(key), QLatin1StringView(expected), found));
    }

    void enter(QLatin1StringView key) { m_path.append(key); }
    void leave() { m_path.removeLast(); }

    void fail(const QString &message)
    {
        if (!failed())
            m_error = message;
    }

private:
    // "top level" or 'a.b' for the object being read; with a key, its member.
    QString where(QLatin1StringView key = {}) const
    {
        QStringList path = m_path;
        if (!key.isEmpty())
            path.append(key);
        if (path.isEmpty())
            return u"top level"_s;
        return u"'"_s + path.join(u'.') + u"'"_s;
    }

    QStringList m_path;
    QString m_error;
};

std::optional<double> readDouble(Decoder &d, const QJsonObject &o, QLatin1StringView key, bool required)
{
    const auto value = d.member(o, key, "a number", required);
    if (!value)
        return std::nullopt;
    if (!value->isDouble()) {
        d.mismatch(key, "a number", describeType(*value));
        return std::nullopt;
    }
    return value->toDouble();
}

std::optional<qint64> readInt64(Decoder &d, const QJsonObject &o, QLatin1StringView key, bool required)
{
    const auto value = d.member(o, key, "a whole number", required);
    if (!value)
        return std::nullopt;
    if (!value->isDouble()) {
        d.mismatch(key, "a whole number", describeType(*value));
        return std::nullopt;
    }
    // toInteger() falls back to its argument when the number is not an
    // integral value within range; two different fallbacks tell that apart
    // from a genuine value.
    const qint64 a = value->toInteger(0);
    const qint64 b = value->toInteger(1);
    if (a != b) {
        const double number = value->toDouble();
        const bool fractional = std::isfinite(number) && std::trunc(number) != number;
        d.mismatch(key, "a whole number", fractional ? u"a number with a fraction"_s : u"a number outside its range"_s);
        return std::nullopt;
    }
    return a;
}

std::optional<bool> readBool(Decoder &d, const QJsonObject &o, QLatin1StringView key, bool required)
{
    const auto value = d.member(o, key, "true or false", required);
    if (!value)
        return std::nullopt;
    if (!value->isBool()) {
        d.mismatch(key, "true or false", describeType(*value));
        return std::nullopt;
    }
    return value->toBool();
}

std::optional<QString> readString(Decoder &d, const QJsonObject &o, QLatin1StringView key, bool required)
{
    const auto value = d.member(o, key, "a string", required);
    if (!value)
        return std::nullopt;
    if (!value->isString()) {
        d.mismatch(key, "a string", describeType(*value));
        return std::nullopt;
    }
    return value->toString();
}

// Reads a nested record with read(); absent when skipped or failed.
template <typename Record, typename Read>
std::optional<Record> readRecord(Decoder &d, const QJsonObject &o, QLatin1StringView key, bool required, Read read)
{
    const auto value = d.member(o, key, "an object", required);
    if (!value)
        return std::nullopt;
    if (!value->isObject()) {
        d.mismatch(key, "an object", describeType(*value));
        return std::nullopt;
    }
    d.enter(key);
    Record record = read(d, value->toObject());
    d.leave();
    if (d.failed())
        return std::nullopt;
    return record;
}

CodexWindow readWindow(Decoder &d, const QJsonObject &o)
{
    CodexWindow window;
    window.usedPercent = readDouble(d, o, "used_percent"_L1, true).value_or(0.0);
    window.limitWindowSeconds = readInt64(d, o, "limit_window_seconds"_L1, true).value_or(0);
    window.resetAfterSeconds = readInt64(d, o, "reset_after_seconds"_L1, true).value_or(0);
    window.resetAt = readInt64(d, o, "reset_at"_L1, true).value_or(0);
    return window;
}

CodexRateLimit readRateLimit(Decoder &d, const QJsonObject &o)
{
    CodexRateLimit limit;
    limit.allowed = readBool(d, o, "allowed"_L1, false);
    limit.limitReached = readBool(d, o, "limit_reached"_L1, false);
    limit.primaryWindow = readRecord<CodexWindow>(d, o, "primary_window"_L1, false, readWindow);
    limit.secondaryWindow = readRecord<CodexWindow>(d, o, "secondary_window"_L1, false, readWindow);
    return limit;
}

CodexCredits readCredits(Decoder &d, const QJsonObject &o)
{
    CodexCredits credits;
    credits.hasCredits = readBool(d, o, "has_credits"_L1, false);
    credits.unlimited = readBool(d, o, "unlimited"_L1, false);
    credits.balance = readString(d, o, "balance"_L1, false);
    return credits;
}

// Each entry is decoded on its own, by the same rules, and kept only when it
// decodes whole.
QList<CodexAdditionalLimit> readAdditionalLimits(const QJsonValue &value)
{
    QList<CodexAdditionalLimit> limits;
    const QJsonArray entries = value.toArray();
    for (const QJsonValue &entry : entries) {
        if (!entry.isObject())
            continue;
        Decoder d;
        const QJsonObject object = entry.toObject();
        const std::optional<QString> name = readString(d, object, "limit_name"_L1, true);
        const std::optional<CodexRateLimit> rateLimit
            = readRecord<CodexRateLimit>(d, object, "rate_limit"_L1, true, readRateLimit);
        // A limit without a name could not be told from the others, nor
        // shown: it is left out like any other malformed entry.
        if (!d.failed() && name && !name->trimmed().isEmpty() && rateLimit)
            limits.append(CodexAdditionalLimit{*name, *rateLimit});
    }
    return limits;
}

} // namespace

std::variant<CodexUsageResponse, QString> decodeCodexUsage(const QByteArray &json)
{
    QJsonParseError parseError{};
    const std::optional<QJsonDocument> document = parseStrictJson(json, &parseError);
    if (!document) {
        return u"The data is not valid JSON: %1 at offset %2"_s.arg(parseError.errorString()).arg(parseError.offset);
    }
    if (!document->isObject())
        return u"Type mismatch at top level: expected an object, found an array"_s;

    Decoder d;
    const QJsonObject root = document->object();
    CodexUsageResponse response;
    response.planType = readString(d, root, "plan_type"_L1, false);
    const std::optional<CodexRateLimit> rateLimit
        = readRecord<CodexRateLimit>(d, root, "rate_limit"_L1, true, readRateLimit);
    if (rateLimit)
        response.rateLimit = *rateLimit;
    response.codeReviewRateLimit
        = readRecord<CodexRateLimit>(d, root, "code_review_rate_limit"_L1, false, readRateLimit);
    response.credits = readRecord<CodexCredits>(d, root, "credits"_L1, false, readCredits);
    if (d.failed())
        return d.error();
    response.additionalRateLimits = readAdditionalLimits(root.value("additional_rate_limits"_L1));
    {
        Decoder lenient;
        const auto banked = readRecord<std::optional<qint64>>(
            lenient, root, "rate_limit_reset_credits"_L1, false,
            [](Decoder &d, const QJsonObject &o) { return readInt64(d, o, "available_count"_L1, false); });
        if (!lenient.failed() && banked)
            response.resetsBanked = *banked;
    }
    {
        Decoder lenient;
        const auto control = readRecord<CodexSpendControl>(
            lenient, root, "spend_control"_L1, false, [](Decoder &d, const QJsonObject &o) {
                return CodexSpendControl{readBool(d, o, "reached"_L1, false).value_or(false),
                                         readString(d, o, "reached_limit_type"_L1, false).value_or(QString())};
            });
        if (!lenient.failed())
            response.spendControl = control;
    }
    return response;
}

namespace {

// The service's seconds are trusted only as far as a date can be shown:
// anything outside the years 1 to 9999 is held at the nearest end.
QDateTime resetTimeFor(qint64 resetAt)
{
    static const qint64 earliest = QDateTime(QDate(1, 1, 1), QTime(0, 0), utcZone()).toSecsSinceEpoch();
    static const qint64 latest = QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59), utcZone()).toSecsSinceEpoch();
    return QDateTime::fromSecsSinceEpoch(std::clamp(resetAt, earliest, latest), utcZone());
}

constexpr qint64 FiveHours = 5 * 3600;
constexpr qint64 SevenDays = 7 * 24 * 3600;

UsageLimit limitFor(const QString &name, LimitKind kind, const CodexWindow &window)
{
    UsageLimit limit{name, window.usedPercent, resetTimeFor(window.resetAt), kind, std::nullopt};
    if (window.limitWindowSeconds > 0)
        limit.windowSeconds = window.limitWindowSeconds;
    return limit;
}

LimitKind kindOfLength(qint64 windowSeconds)
{
    if (windowSeconds == FiveHours)
        return LimitKind::Session;
    if (windowSeconds == SevenDays)
        return LimitKind::Weekly;
    return LimitKind::Other;
}

// The main limit's window: by its length when it has one, else by its slot.
UsageLimit mainLimitFor(const CodexWindow &window, const QString &slotLabel, LimitKind slotKind)
{
    const QString label = codexWindowLabel(window.limitWindowSeconds);
    if (label.isEmpty())
        return limitFor(slotLabel, slotKind, window);
    return limitFor(label, kindOfLength(window.limitWindowSeconds), window);
}

} // namespace

FetchResult codexResultFor(int status, const QByteArray &body, const QString &providerName)
{
    if (status == 200) {
        auto decoded = decodeCodexUsage(body);
        if (const QString *error = std::get_if<QString>(&decoded))
            return ProviderError::decodingError(*error);
        return codexUsageToResponse(std::get<CodexUsageResponse>(decoded));
    }
    if (status == 401 || status == 403)
        return ProviderError::notLoggedIn(providerName);
    return ProviderError::apiError(status);
}

QString codexWindowLabel(qint64 windowSeconds)
{
    constexpr qint64 Hour = 3600;
    constexpr qint64 Day = 24 * Hour;
    if (windowSeconds == FiveHours)
        return u"5 Hour"_s;
    if (windowSeconds == SevenDays)
        return u"Weekly"_s;
    if (isMonthLong(windowSeconds))
        return u"Monthly"_s;
    // A rounded length would be a label that lies.
    if (windowSeconds <= 0 || windowSeconds % Hour != 0)
        return {};
    if (windowSeconds % Day == 0)
        return u"%1 Day"_s.arg(windowSeconds / Day);
    return u"%1 Hour"_s.arg(windowSeconds / Hour);
}

ProviderUsageResponse codexUsageToResponse(const CodexUsageResponse &usage)
{
    ProviderUsageResponse response;
    if (usage.rateLimit.primaryWindow)
        response.limits.append(mainLimitFor(*usage.rateLimit.primaryWindow, u"5 Hour"_s, LimitKind::Session));
    if (usage.rateLimit.secondaryWindow)
        response.limits.append(mainLimitFor(*usage.rateLimit.secondaryWindow, u"Weekly"_s, LimitKind::Weekly));
    if (usage.codeReviewRateLimit && usage.codeReviewRateLimit->primaryWindow)
        response.limits.append(limitFor(u"Code Review"_s, LimitKind::Other, *usage.codeReviewRateLimit->primaryWindow));
    for (const CodexAdditionalLimit &additional : usage.additionalRateLimits) {
        for (const auto &window : {additional.rateLimit.primaryWindow, additional.rateLimit.secondaryWindow}) {
            if (!window)
                continue;
            const QString label = codexWindowLabel(window->limitWindowSeconds);
            const QString name = label.isEmpty() ? additional.limitName : additional.limitName + u" ("_s + label + u')';
            UsageLimit limit = limitFor(name, LimitKind::Other, *window);
            limit.scope = additional.limitName;
            response.limits.append(limit);
        }
    }
    if (usage.credits && (usage.credits->hasCredits.value_or(false) || usage.credits->unlimited.value_or(false))) {
        UsageCredits credits;
        credits.unlimited = usage.credits->unlimited.value_or(false);
        credits.balance = usage.credits->balance;
        response.credits = credits;
    }
    if (usage.resetsBanked && *usage.resetsBanked > 0)
        response.resetsBanked = int(std::min<qint64>(*usage.resetsBanked, 1'000'000));
    if (usage.spendControl && usage.spendControl->reached)
        response.budgetReachedType = usage.spendControl->reachedLimitType;
    return response;
}
