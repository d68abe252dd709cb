#include "providers/HttpUsageProvider.h"

#include <utility>

HttpUsageProvider::HttpUsageProvider(ProviderIdentity identity, UsageEndpoint endpoint, CredentialReader credentials,
                                     Decoder decoder, HttpOptions options)
    : m_identity(std::move(identity))
    , m_endpoint(std::move(endpoint))
    , m_credentials(std::move(credentials))
    , m_decoder(std::move(decoder))
    , m_options(options)
{
}

bool HttpUsageProvider::isAvailable() const
{
    return m_credentials().has_value();
}

FetchJob *HttpUsageProvider::fetchUsage(QObject *parent)
{
    return UsageRequest::send(parent, m_session, m_credentials(), name(), m_endpoint.url, m_endpoint.headers,
                              m_options, m_decoder);
}
