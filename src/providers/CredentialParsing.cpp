#include "providers/CredentialParsing.h"

#include "core/UtcZone.h"
#include "providers/StrictJson.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QList>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// UTF-8 decoded and trimmed of leading and trailing white space and line
// breaks (QChar::isSpace covers the full Unicode set of both).
std::optional<QString> trimmedUtf8(const QByteArray &bytes)
{
    // A sequence cut off at the end is invalid too, which a streaming decoder
    // would keep pending instead of reporting.
    if (!isValidUtf8(bytes))
        return std::nullopt;
    const QString text = QString::fromUtf8(bytes).trimmed();
    if (text.isEmpty())
        return std::nullopt;
    return text;
}

std::optional<QString> stringMember(const QJsonObject &object, QLatin1StringView key)
{
    const QJsonValue value = object.value(key);
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

// A number of time units since 1970 as a moment; absent when it is no number
// or lies outside the years a date can show.
std::optional<QDateTime> momentOf(const QJsonValue &value, double millisecondsPerUnit)
{
    if (!value.isDouble())
        return std::nullopt;
    const double milliseconds = value.toDouble() * millisecondsPerUnit;
    // About ±10,000 years.
    constexpr double Limit = 3.0e14;
    if (!std::isfinite(milliseconds) || std::abs(milliseconds) > Limit)
        return std::nullopt;
    return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(milliseconds), utcZone());
}

} // namespace

std::optional<QString> claudeTokenFromKeychainOutput(const QByteArray &output)
{
    const std::optional<StoredLogin> login = claudeLoginFromKeychainOutput(output);
    if (!login)
        return std::nullopt;
    return login->accessToken;
}

std::optional<StoredLogin> claudeLoginFromKeychainOutput(const QByteArray &output)
{
    const std::optional<QString> text = trimmedUtf8(output);
    if (!text)
        return std::nullopt;
    const std::optional<QJsonDocument> document = parseStrictJson(text->toUtf8());
    if (!document || !document->isObject())
        return std::nullopt;
    const QJsonValue oauth = document->object().value("claudeAiOauth"_L1);
    if (!oauth.isObject())
        return std::nullopt;
    std::optional<QString> token = stringMember(oauth.toObject(), "accessToken"_L1);
    if (!token)
        return std::nullopt;
    return StoredLogin{*token, momentOf(oauth.toObject().value("expiresAt"_L1), 1)};
}

std::optional<QString> codexTokenFromKeychainOutput(const QByteArray &output)
{
    std::optional<QString> text = trimmedUtf8(output);
    if (!text || !text->startsWith(u'{'))
        return text;
    const std::optional<QJsonDocument> document = parseStrictJson(text->toUtf8());
    if (!document || !document->isObject())
        return text;
    const QJsonValue tokens = document->object().value("tokens"_L1);
    if (tokens.isObject()) {
        if (std::optional<QString> token = stringMember(tokens.toObject(), "access_token"_L1))
            return token;
    }
    return text;
}

std::optional<QDateTime> jwtExpiry(const QString &token)
{
    const QList<QStringView> parts = QStringView(token).split(u'.');
    if (parts.size() != 3)
        return std::nullopt;
    const auto payload = QByteArray::fromBase64Encoding(parts.at(1).toLatin1(),
                                                        QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals
                                                            | QByteArray::AbortOnBase64DecodingErrors);
    if (!payload)
        return std::nullopt;
    const std::optional<QJsonDocument> document = parseStrictJson(*payload);
    if (!document || !document->isObject())
        return std::nullopt;
    return momentOf(document->object().value("exp"_L1), 1000);
}

std::optional<QString> codexTokenFromAuthFile(const QByteArray &contents)
{
    const std::optional<QJsonDocument> document = parseStrictJson(contents);
    if (!document || !document->isObject())
        return std::nullopt;
    const QJsonObject root = document->object();
    const QJsonValue tokens = root.value("tokens"_L1);
    if (tokens.isObject()) {
        if (std::optional<QString> token = stringMember(tokens.toObject(), "access_token"_L1))
            return token;
    }
    if (std::optional<QString> token = stringMember(root, "access_token"_L1))
        return token;
    return stringMember(root, "token"_L1);
}
