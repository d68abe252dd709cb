#include "providers/StrictJson.h"

#include <QUtf8StringView>

namespace {

// Where the first malformed sequence starts (overlong forms, surrogates and
// code points past U+10FFFF included); only asked once data is known bad.
qsizetype firstInvalidUtf8(const QByteArray &data)
{
    const auto byte = [&data](qsizetype i) { return static_cast<unsigned char>(data[i]); };
    qsizetype i = 0;
    while (i < data.size()) {
        const unsigned char lead = byte(i);
        int length = 0;
        char32_t min = 0;
        char32_t code = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if ((lead & 0xe0) == 0xc0) {
            length = 2, min = 0x80, code = lead & 0x1f;
        } else if ((lead & 0xf0) == 0xe0) {
            length = 3, min = 0x800, code = lead & 0x0f;
        } else if ((lead & 0xf8) == 0xf0) {
            length = 4, min = 0x10000, code = lead & 0x07;
        } else {
            return i;
        }
        if (i + length > data.size())
            return i;
        for (int k = 1; k < length; ++k) {
            if ((byte(i + k) & 0xc0) != 0x80)
                return i;
            code = (code << 6) | (byte(i + k) & 0x3f);
        }
        if (code < min || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff))
            return i;
        i += length;
    }
    return 0;
}

} // namespace

bool isValidUtf8(const QByteArray &data)
{
    return QUtf8StringView(data).isValidUtf8();
}

std::optional<QJsonDocument> parseStrictJson(const QByteArray &data, QJsonParseError *error)
{
    QJsonParseError parseError{};
    // Qt's parser checks UTF-8 inside strings only; bytes elsewhere are
    // rejected as illegal values, but the reason should say what is wrong.
    if (!isValidUtf8(data)) {
        parseError.error = QJsonParseError::IllegalUTF8String;
        parseError.offset = int(firstInvalidUtf8(data));
        if (error)
            *error = parseError;
        return std::nullopt;
    }
    QJsonDocument document = QJsonDocument::fromJson(data, &parseError);
    if (error)
        *error = parseError;
    // fromJson() already refuses bare scalars at the top level.
    if (parseError.error != QJsonParseError::NoError || document.isNull())
        return std::nullopt;
    return document;
}

std::variant<QJsonObject, FetchResult> answerObject(int status, const QByteArray &body, const QString &providerName)
{
    if (status == 401)
        return ProviderError::notLoggedIn(providerName);
    if (status == 403)
        return ProviderError::scopeError(providerName);
    if (status != 200)
        return ProviderError::apiError(status);
    QJsonParseError parseError{};
    const std::optional<QJsonDocument> document = parseStrictJson(body, &parseError);
    if (!document)
        return OtherError{parseError.errorString()};
    if (!document->isObject())
        return ProviderError::invalidResponse();
    return document->object();
}
