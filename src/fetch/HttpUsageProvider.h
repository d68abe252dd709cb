#pragma once

#include "core/FetchJob.h"
#include "core/UsageProvider.h"
#include "providers/CredentialParsing.h"
#include "fetch/HttpOptions.h"
#include "fetch/NetworkSession.h"
#include "fetch/UsageRequest.h"

#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

// Who a provider is: its id and the name its errors and alerts carry.
struct ProviderIdentity
{
    QString id;
    QString name;
};

// Where a provider asks, and the headers that follow the bearer header there.
struct UsageEndpoint
{
    QUrl url;
    HeaderList headers;
    // Sent as a POST when set; a GET otherwise.
    std::optional<QByteArray> postBody;
};

// Reads the stored login anew on every call, and says how the user renews it
// once it has expired.
struct CredentialReader
{
    std::function<std::optional<StoredLogin>()> read;
    // For example "Run codex once to renew it."
    QString renewal;
};

// A usage provider that sends one request with a borrowed bearer token and turns
// the answer into a result. The two subscriptions differ only in what they are
// given here.
class HttpUsageProvider : public UsageProvider
{
public:
    // What an answer with this status and complete body means.
    using Decoder = UsageRequest::Interpreter;

    HttpUsageProvider(ProviderIdentity identity, UsageEndpoint endpoint, CredentialReader credentials, Decoder decoder,
                      HttpOptions options = {});

    QString id() const override { return m_identity.id; }
    QString name() const override { return m_identity.name; }
    bool isAvailable() const override;
    // A "not logged in" answer to a login that the store says has expired
    // carries a line that says so.
    FetchJob *fetchUsage(QObject *parent) override;

private:
    ProviderIdentity m_identity;
    UsageEndpoint m_endpoint;
    CredentialReader m_credentials;
    Decoder m_decoder;
    HttpOptions m_options;
    std::shared_ptr<NetworkSession> m_session;
};
