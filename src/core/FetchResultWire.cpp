#include "core/FetchResultWire.h"

#include "core/UtcZone.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

constexpr int Version = 1;

// A number JSON cannot hold (NaN, the infinities) goes as a word.
QJsonValue number(double value)
{
    if (std::isnan(value))
        return u"nan"_s;
    if (std::isinf(value))
        return value > 0 ? u"inf"_s : u"-inf"_s;
    return value;
}

template <typename T, typename F> QJsonValue optional(const std::optional<T> &value, F convert)
{
    return value ? convert(*value) : QJsonValue(QJsonValue::Null);
}

QJsonValue text(const QString &value)
{
    return value;
}

// No decoder makes an invalid time, and no face expects one: it goes as none.
// A time past the years 1 to 9999 (a service's far future, or a far
// Retry-After) has no four-digit year to be written with and would spoil the
// whole line: it is held at the nearest end.
QJsonValue instant(const QDateTime &value)
{
    if (!value.isValid())
        return QJsonValue::Null;
    static const QDateTime earliest(QDate(1, 1, 1), QTime(0, 0), utcZone());
    static const QDateTime latest(QDate(9999, 12, 31), QTime(23, 59, 59, 999), utcZone());
    const QDateTime held = value < earliest ? earliest : latest < value ? latest : value;
    return held.toString(Qt::ISODateWithMs);
}

// Reads a time as instant() writes it: "2026-12-07T12:33:32.326", then "Z",
// an offset ("+05:30") or nothing for local time. By hand, since Qt's reader
// works the fraction out with pow(), which alone would keep pages of libm
// resident in the tray. Invalid for anything else.
QDateTime readInstant(QStringView text)
{
    constexpr QStringView Pattern = u"####-##-##T##:##:##.###";
    const auto isDigit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    const auto number = [&text](qsizetype from, qsizetype count) {
        int value = 0;
        for (qsizetype i = from; i < from + count; ++i)
            value = value * 10 + (text[i].unicode() - u'0');
        return value;
    };
    if (text.size() < Pattern.size())
        return {};
    for (qsizetype i = 0; i < Pattern.size(); ++i) {
        if (Pattern[i] == u'#' ? !isDigit(text[i]) : text[i] != Pattern[i])
            return {};
    }
    const QDate date(number(0, 4), number(5, 2), number(8, 2));
    const QTime time(number(11, 2), number(14, 2), number(17, 2), number(20, 3));
    if (!date.isValid() || !time.isValid())
        return {};

    const QStringView zone = text.sliced(Pattern.size());
    if (zone.isEmpty())
        return QDateTime(date, time);
    if (zone == u"Z")
        return QDateTime(date, time, utcZone());
    if (zone.size() != 6 || (zone[0] != u'+' && zone[0] != u'-') || !isDigit(zone[1]) || !isDigit(zone[2])
        || zone[3] != u':' || !isDigit(zone[4]) || !isDigit(zone[5]))
        return {};
    const int hours = number(Pattern.size() + 1, 2);
    const int minutes = number(Pattern.size() + 4, 2);
    if (hours > 14 || minutes > 59)
        return {};
    const int seconds = (zone[0] == u'-' ? -1 : 1) * (hours * 3600 + minutes * 60);
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    return QDateTime(date, time, QTimeZone::fromSecondsAheadOfUtc(seconds));
#else
    return QDateTime(date, time, Qt::OffsetFromUTC, seconds);
#endif
}

QJsonObject money(const Money &value)
{
    return {{u"amount"_s, value.amountMinor}, {u"exponent"_s, value.exponent}, {u"currency"_s, value.currency}};
}

QString providerKindName(ProviderError::Kind kind)
{
    switch (kind) {
    case ProviderError::Kind::NotLoggedIn: return u"notLoggedIn"_s;
    case ProviderError::Kind::ScopeError: return u"scope"_s;
    case ProviderError::Kind::ApiError: return u"api"_s;
    case ProviderError::Kind::DecodingError: return u"decoding"_s;
    case ProviderError::Kind::InvalidResponse: return u"invalidResponse"_s;
    }
    return {};
}

constexpr std::pair<TransportError::Code, const char *> TransportCodes[] = {
    {TransportError::Code::Unknown, "unknown"},
    {TransportError::Code::Cancelled, "cancelled"},
    {TransportError::Code::TimedOut, "timedOut"},
    {TransportError::Code::CannotFindHost, "cannotFindHost"},
    {TransportError::Code::CannotConnectToHost, "cannotConnectToHost"},
    {TransportError::Code::NetworkConnectionLost, "connectionLost"},
    {TransportError::Code::DnsLookupFailed, "dnsLookupFailed"},
    {TransportError::Code::NotConnectedToInternet, "notConnected"},
    {TransportError::Code::SecureConnectionFailed, "secureConnectionFailed"},
};

QJsonObject encodeUsage(const ProviderUsageResponse &usage)
{
    QJsonArray limits;
    for (const UsageLimit &limit : usage.limits) {
        limits.append(QJsonObject{
            {u"name"_s, limit.name},
            {u"utilization"_s, number(limit.utilization)},
            {u"reset"_s, optional(limit.resetTime, instant)},
            {u"kind"_s, limitKindName(limit.kind)},
            {u"window"_s, optional(limit.windowSeconds, [](qint64 v) { return QJsonValue(v); })},
            {u"scope"_s, optional(limit.scope, text)},
        });
    }
    QJsonValue credits = QJsonValue::Null;
    if (usage.credits) {
        const UsageCredits &c = *usage.credits;
        credits = QJsonObject{
            {u"used"_s, optional(c.used, money)},
            {u"limit"_s, optional(c.limit, money)},
            {u"utilization"_s, optional(c.utilization, number)},
            {u"balance"_s, optional(c.balance, text)},
            {u"unlimited"_s, c.unlimited},
        };
    }
    return {
        {u"result"_s, u"usage"_s},
        {u"limits"_s, limits},
        {u"credits"_s, credits},
        {u"resetsBanked"_s, optional(usage.resetsBanked, [](int v) { return QJsonValue(v); })},
        {u"budgetReached"_s, optional(usage.budgetReachedType, text)},
        {u"unlimited"_s, QJsonArray::fromStringList(usage.unlimited)},
    };
}

struct Encoder
{
    QJsonObject operator()(const ProviderUsageResponse &usage) const { return encodeUsage(usage); }
    QJsonObject operator()(const ProviderError &error) const
    {
        return {
            {u"result"_s, u"provider"_s},
            {u"kind"_s, providerKindName(error.kind())},
            {u"text"_s, error.text()},
            {u"status"_s, error.statusCode()},
            {u"detail"_s, optional(error.detail(), text)},
            {u"retryAfter"_s, optional(error.retryAfter(), instant)},
        };
    }
    QJsonObject operator()(const TransportError &error) const
    {
        QString code;
        for (const auto &[known, name] : TransportCodes) {
            if (known == error.code())
                code = QLatin1StringView(name);
        }
        return {{u"result"_s, u"transport"_s}, {u"code"_s, code}, {u"description"_s, error.description()}};
    }
    QJsonObject operator()(const OtherError &error) const
    {
        return {{u"result"_s, u"other"_s}, {u"description"_s, error.description}};
    }
};

// Reading, strictly. Each reader names what it found wrong in *error and
// returns something harmless; the caller checks *error once at the end.
class Reader
{
public:
    explicit Reader(QString *error)
        : m_error(error)
    {}

    bool failed() const { return !m_error->isEmpty(); }

    void fail(const QString &message)
    {
        if (m_error->isEmpty())
            *m_error = message;
    }

    // The object must hold exactly these keys.
    bool expectKeys(const QJsonObject &object, const QString &where, std::initializer_list<const char *> keys)
    {
        for (const char *key : keys) {
            if (!object.contains(QLatin1StringView(key))) {
                fail(u"%1: \"%2\" is missing"_s.arg(where, QLatin1StringView(key)));
                return false;
            }
        }
        if (object.size() != qsizetype(keys.size())) {
            fail(u"%1: unexpected keys"_s.arg(where));
            return false;
        }
        return true;
    }

    QString string(const QJsonValue &value, const QString &where)
    {
        if (!value.isString())
            fail(where + u" is not a string"_s);
        return value.toString();
    }

    // What the faces show as a name or an error must say something.
    QString nonEmpty(const QJsonValue &value, const QString &where)
    {
        const QString text = string(value, where);
        if (text.isEmpty())
            fail(where + u" is empty"_s);
        return text;
    }

    std::optional<QString> optionalString(const QJsonValue &value, const QString &where)
    {
        return value.isNull() ? std::nullopt : std::optional(string(value, where));
    }

    double real(const QJsonValue &value, const QString &where)
    {
        if (value.isDouble())
            return value.toDouble();
        const QString word = value.toString();
        if (word == "nan"_L1)
            return std::numeric_limits<double>::quiet_NaN();
        if (word == "inf"_L1)
            return std::numeric_limits<double>::infinity();
        if (word == "-inf"_L1)
            return -std::numeric_limits<double>::infinity();
        fail(where + u" is not a number"_s);
        return 0;
    }

    qint64 integer(const QJsonValue &value, const QString &where, qint64 low, qint64 high)
    {
        // Two different defaults: only a true integer gives the same answer to both.
        const qint64 a = value.toInteger(0);
        const qint64 b = value.toInteger(1);
        if (!value.isDouble() || a != b || a < low || a > high) {
            fail(where + u" is not an integer in range"_s);
            return 0;
        }
        return a;
    }

    int integer32(const QJsonValue &value, const QString &where)
    {
        return int(integer(value, where, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    }

    QDateTime instant(const QJsonValue &value, const QString &where)
    {
        const QString text = string(value, where);
        const QDateTime parsed = readInstant(text);
        if (!parsed.isValid())
            fail(where + u" is not a time"_s);
        return parsed;
    }

    std::optional<QDateTime> optionalInstant(const QJsonValue &value, const QString &where)
    {
        return value.isNull() ? std::nullopt : std::optional(instant(value, where));
    }

    QJsonObject object(const QJsonValue &value, const QString &where)
    {
        if (!value.isObject())
            fail(where + u" is not an object"_s);
        return value.toObject();
    }

    std::optional<Money> money(const QJsonValue &value, const QString &where)
    {
        if (value.isNull())
            return std::nullopt;
        const QJsonObject o = object(value, where);
        if (!expectKeys(o, where, {"amount", "exponent", "currency"}))
            return std::nullopt;
        return Money{integer(o.value("amount"_L1), where + u".amount"_s, std::numeric_limits<qint64>::min(),
                             std::numeric_limits<qint64>::max()),
                     integer32(o.value("exponent"_L1), where + u".exponent"_s),
                     string(o.value("currency"_L1), where + u".currency"_s)};
    }

private:
    QString *m_error;
};

ProviderUsageResponse decodeUsage(const QJsonObject &o, Reader &read)
{
    ProviderUsageResponse usage;
    if (!read.expectKeys(o, u"usage"_s, {"result", "limits", "credits", "resetsBanked", "budgetReached", "unlimited"}))
        return usage;
    const QJsonValue limits = o.value("limits"_L1);
    if (!limits.isArray())
        read.fail(u"limits is not an array"_s);
    const QJsonArray list = limits.toArray();
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QString where = u"limits[%1]"_s.arg(i);
        const QJsonObject l = read.object(list.at(i), where);
        if (!read.expectKeys(l, where, {"name", "utilization", "reset", "kind", "window", "scope"}))
            return usage;
        UsageLimit limit;
        limit.name = read.nonEmpty(l.value("name"_L1), where + u".name"_s);
        limit.utilization = read.real(l.value("utilization"_L1), where + u".utilization"_s);
        limit.resetTime = read.optionalInstant(l.value("reset"_L1), where + u".reset"_s);
        const QString kind = read.string(l.value("kind"_L1), where + u".kind"_s);
        limit.kind = limitKindFromName(kind);
        if (limitKindName(limit.kind) != kind)
            read.fail(where + u".kind is unknown"_s);
        if (const QJsonValue window = l.value("window"_L1); !window.isNull())
            limit.windowSeconds = read.integer(window, where + u".window"_s, std::numeric_limits<qint64>::min(),
                                               std::numeric_limits<qint64>::max());
        limit.scope = read.optionalString(l.value("scope"_L1), where + u".scope"_s);
        usage.limits.append(limit);
    }
    if (const QJsonValue credits = o.value("credits"_L1); !credits.isNull()) {
        const QJsonObject c = read.object(credits, u"credits"_s);
        if (!read.expectKeys(c, u"credits"_s, {"used", "limit", "utilization", "balance", "unlimited"}))
            return usage;
        UsageCredits value;
        value.used = read.money(c.value("used"_L1), u"credits.used"_s);
        value.limit = read.money(c.value("limit"_L1), u"credits.limit"_s);
        if (const QJsonValue utilization = c.value("utilization"_L1); !utilization.isNull())
            value.utilization = read.real(utilization, u"credits.utilization"_s);
        value.balance = read.optionalString(c.value("balance"_L1), u"credits.balance"_s);
        if (!c.value("unlimited"_L1).isBool())
            read.fail(u"credits.unlimited is not a boolean"_s);
        value.unlimited = c.value("unlimited"_L1).toBool();
        usage.credits = value;
    }
    if (const QJsonValue banked = o.value("resetsBanked"_L1); !banked.isNull())
        usage.resetsBanked = read.integer32(banked, u"resetsBanked"_s);
    usage.budgetReachedType = read.optionalString(o.value("budgetReached"_L1), u"budgetReached"_s);
    const QJsonValue unlimited = o.value("unlimited"_L1);
    if (!unlimited.isArray())
        read.fail(u"unlimited is not an array"_s);
    for (const QJsonValue &name : unlimited.toArray())
        usage.unlimited.append(read.string(name, u"unlimited[]"_s));
    return usage;
}

std::optional<ProviderError> decodeProviderError(const QJsonObject &o, Reader &read)
{
    if (!read.expectKeys(o, u"provider error"_s, {"result", "kind", "text", "status", "detail", "retryAfter"}))
        return std::nullopt;
    const QString kind = read.string(o.value("kind"_L1), u"kind"_s);
    const QString text = read.string(o.value("text"_L1), u"text"_s);
    const int status = read.integer32(o.value("status"_L1), u"status"_s);
    std::optional<ProviderError> error;
    if (kind == "notLoggedIn"_L1)
        error = ProviderError::notLoggedIn(text);
    else if (kind == "scope"_L1)
        error = ProviderError::scopeError(text);
    else if (kind == "api"_L1)
        error = ProviderError::apiError(status);
    else if (kind == "decoding"_L1)
        error = ProviderError::decodingError(text);
    else if (kind == "invalidResponse"_L1)
        error = ProviderError::invalidResponse();
    if (!error) {
        read.fail(u"unknown provider error \"%1\""_s.arg(kind));
        return std::nullopt;
    }
    // Each kind carries only its own field; anything else would be lost.
    if (error->text() != text || error->statusCode() != status)
        read.fail(u"provider error \"%1\" with fields it does not carry"_s.arg(kind));
    if (const std::optional<QString> detail = read.optionalString(o.value("detail"_L1), u"detail"_s))
        error = error->withDetail(*detail);
    if (const std::optional<QDateTime> retry = read.optionalInstant(o.value("retryAfter"_L1), u"retryAfter"_s))
        error = error->withRetryAfter(*retry);
    return error;
}

} // namespace

QByteArray FetchResultWire::encode(const FetchResult &result)
{
    QJsonObject object = std::visit(Encoder{}, result);
    object.insert(u"wire"_s, Version);
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

std::optional<FetchResult> FetchResultWire::decode(const QByteArray &line, QString *error)
{
    error->clear();
    if (line.size() > MaxLineBytes) {
        *error = u"the answer is longer than %1 bytes"_s.arg(MaxLineBytes);
        return std::nullopt;
    }
    QByteArray body = line;
    if (body.endsWith('\n'))
        body.chop(1);
    if (body.contains('\n')) {
        *error = u"the answer is more than one line"_s;
        return std::nullopt;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(body, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        *error = body.isEmpty() ? u"the answer is empty"_s
                                : u"the answer is not a JSON object (%1)"_s.arg(parseError.errorString());
        return std::nullopt;
    }
    QJsonObject object = document.object();
    if (object.take(u"wire"_s) != QJsonValue(Version)) {
        *error = u"the answer is not of wire version %1"_s.arg(Version);
        return std::nullopt;
    }
    Reader read(error);
    const QString kind = read.string(object.value("result"_L1), u"result"_s);
    std::optional<FetchResult> result;
    if (kind == "usage"_L1) {
        result = decodeUsage(object, read);
    } else if (kind == "provider"_L1) {
        if (std::optional<ProviderError> providerError = decodeProviderError(object, read))
            result = *providerError;
    } else if (kind == "transport"_L1) {
        if (read.expectKeys(object, u"transport error"_s, {"result", "code", "description"})) {
            const QString code = read.string(object.value("code"_L1), u"code"_s);
            const QString description = read.nonEmpty(object.value("description"_L1), u"description"_s);
            for (const auto &[known, name] : TransportCodes) {
                if (code == QLatin1StringView(name))
                    result = TransportError(known, description);
            }
            if (!result)
                read.fail(u"unknown transport error \"%1\""_s.arg(code));
        }
    } else if (kind == "other"_L1) {
        if (read.expectKeys(object, u"other error"_s, {"result", "description"}))
            result = OtherError{read.nonEmpty(object.value("description"_L1), u"description"_s)};
    } else {
        read.fail(u"unknown result \"%1\""_s.arg(kind));
    }
    if (read.failed())
        return std::nullopt;
    return result;
}
