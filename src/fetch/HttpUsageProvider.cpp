#include "fetch/HttpUsageProvider.h"

#include "providers/ExpiredLogin.h"

#include <utility>

HttpUsageProvider::HttpUsageProvider(ProviderIdentity identity, UsageEndpoint endpoint, CredentialReader credentials,
                                     Decoder decoder, HttpOptions options)
    : m_identity(std::move(identity))
    , m_endpoint(std::move(endpoint))
    , m_credentials(std::move(credentials))
    , m_decoder(std::move(decoder))
    , m_options(options)
    , m_session(sessionFor(m_options))
{}

bool HttpUsageProvider::isAvailable() const
{
    return m_credentials.read().has_value();
}

FetchJob *HttpUsageProvider::fetchUsage(QObject *parent)
{
    const std::optional<StoredLogin> login = m_credentials.read();
    const std::optional<QString> token = login ? std::optional(login->accessToken) : std::nullopt;
    const std::optional<QDateTime> expiresAt = login ? login->expiresAt : std::nullopt;
    auto decode
        = [decoder = m_decoder, expiresAt, renewal = m_credentials.renewal](int status, const QByteArray &body) {
              FetchResult result = decoder(status, body);
              const auto *error = std::get_if<ProviderError>(&result);
              if (!error || error->kind() != ProviderError::Kind::NotLoggedIn || !expiresAt)
                  return result;
              const QDateTime now = QDateTime::currentDateTimeUtc();
              if (*expiresAt > now)
                  return result;
              return FetchResult(error->withDetail(expiredLoginDetail(*expiresAt, now, renewal)));
          };
    return UsageRequest::send(parent, *m_session, token, name(), m_endpoint.url, m_endpoint.headers, m_options,
                              std::move(decode), m_endpoint.postBody);
}
