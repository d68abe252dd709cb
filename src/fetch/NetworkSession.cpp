#include "fetch/NetworkSession.h"

#include "fetch/HttpOptions.h"

#include <QNetworkAccessManager>

NetworkSession::NetworkSession() = default;
NetworkSession::~NetworkSession() = default;

QNetworkAccessManager *NetworkSession::manager()
{
    std::call_once(m_created, [this] {
        m_manager = std::make_unique<QNetworkAccessManager>();
        // The bearer token must never reach a host we did not choose.
        m_manager->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    });
    return m_manager.get();
}

std::shared_ptr<NetworkSession> sessionFor(const HttpOptions &options)
{
    return options.session ? options.session : std::make_shared<NetworkSession>();
}
