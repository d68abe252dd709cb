#include "core/ProviderError.h"

#include <QCoreApplication>

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
    case Kind::NotLoggedIn: return QCoreApplication::translate("Common", "Not logged in to %1.").arg(m_text);
    case Kind::ScopeError: return QCoreApplication::translate("Common", "%1 token missing required scope.").arg(m_text);
    case Kind::ApiError: return QCoreApplication::translate("Common", "API error (code: %1)").arg(m_statusCode);
    case Kind::DecodingError: return QCoreApplication::translate("Common", "Failed to parse response: %1").arg(m_text);
    case Kind::InvalidResponse: return QCoreApplication::translate("Common", "Invalid response from API");
    }
    return {};
}
