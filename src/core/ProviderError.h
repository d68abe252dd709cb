#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

// The one error type of the usage providers; every case has a fixed message.
class ProviderError
{
public:
    enum class Kind {
        NotLoggedIn,
        ScopeError,
        ApiError,
        DecodingError,
        InvalidResponse,
    };

    static ProviderError notLoggedIn(const QString &provider);
    static ProviderError scopeError(const QString &provider);
    static ProviderError apiError(int statusCode);
    static ProviderError decodingError(const QString &message);
    static ProviderError invalidResponse();

    Kind kind() const { return m_kind; }
    // The provider name, or the free text of decodingError.
    QString text() const { return m_text; }
    int statusCode() const { return m_statusCode; }

    QString errorDescription() const;

    // A line that says what the user can do, shown under the description.
    std::optional<QString> detail() const { return m_detail; }
    ProviderError withDetail(QString detail) const;

    // A 429: the service asks for fewer requests.
    bool isRateLimited() const { return m_kind == Kind::ApiError && m_statusCode == 429; }
    // A failure of the service that passes by itself: a rate limit or a 5xx.
    bool isTransient() const { return isRateLimited() || (m_kind == Kind::ApiError && m_statusCode >= 500 && m_statusCode <= 599); }
    // When the service said to ask again ("Retry-After"); absent when it did not say.
    std::optional<QDateTime> retryAfter() const { return m_retryAfter; }
    ProviderError withRetryAfter(std::optional<QDateTime> instant) const;

private:
    ProviderError(Kind kind, QString text, int statusCode);

    Kind m_kind;
    QString m_text;
    int m_statusCode = 0;
    std::optional<QString> m_detail;
    std::optional<QDateTime> m_retryAfter;
};
