#include "core/ProviderError.h"

#include <utility>

using namespace Qt::StringLiterals;

ProviderError::ProviderError(Kind kind, QString text, int statusCode)
    : m_kind(kind)
    , m_text(std::move(text))
    , m_statusCode(statusCode)
{}

ProviderError ProviderError::notLoggedIn(const QString &provider)
{
    return {Kind::NotLoggedIn, provider, 0};
}
ProviderError ProviderError::scopeError(const QString &provider)
{
    return {Kind::ScopeError, provider, 0};
}
ProviderError ProviderError::apiError(int statusCode)
{
    return {Kind::ApiError, {}, statusCode};
}
ProviderError ProviderError::decodingError(const QString &message)
{
    return {Kind::DecodingError, message, 0};
}
ProviderError ProviderError::invalidResponse()
{
    return {Kind::InvalidResponse, {}, 0};
}

ProviderError ProviderError::withDetail(QString detail) const
{
    ProviderError error = *this;
    error.m_detail = std::move(detail);
    return error;
}

ProviderError ProviderError::withRetryAfter(std::optional<QDateTime> instant) const
{
    ProviderError error = *this;
    error.m_retryAfter = std::move(instant);
    return error;
}

QString ProviderError::errorDescription() const
{
    switch (m_kind) {
    case Kind::NotLoggedIn: return u"Not logged in to "_s + m_text + u"."_s;
    case Kind::ScopeError: return m_text + u" token missing required scope."_s;
    case Kind::ApiError: return u"API error (code: "_s + QString::number(m_statusCode) + u")"_s;
    case Kind::DecodingError: return u"Failed to parse response: "_s + m_text;
    case Kind::InvalidResponse: return u"Invalid response from API"_s;
    }
    return {};
}
