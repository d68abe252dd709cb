#include "providers/CredentialParsing.h"

#include "providers/StrictJson.h"

#include <QJsonObject>
#include <QJsonValue>

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

} // namespace

std::optional<QString> claudeTokenFromKeychainOutput(const QByteArray &output)
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
    return stringMember(oauth.toObject(), "accessToken"_L1);
}

std::optional<QString> codexTokenFromKeychainOutput(const QByteArray &output)
{
    return trimmedUtf8(output);
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
