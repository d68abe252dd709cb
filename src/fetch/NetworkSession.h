#pragma once

#include <memory>
#include <mutex>

class QNetworkAccessManager;
struct HttpOptions;

// The lazily created network access manager of one provider, or of all the
// providers of one run (one network thread between them), kept for their
// life. The manager belongs to the thread that first asks for it.
class NetworkSession
{
public:
    NetworkSession();
    ~NetworkSession();
    NetworkSession(const NetworkSession &) = delete;
    NetworkSession &operator=(const NetworkSession &) = delete;

    QNetworkAccessManager *manager();

private:
    std::once_flag m_created;
    std::unique_ptr<QNetworkAccessManager> m_manager;
};

// The session the options share between providers, or a new one for a
// provider made on its own.
std::shared_ptr<NetworkSession> sessionFor(const HttpOptions &options);
