#pragma once

#include <memory>
#include <mutex>

class QNetworkAccessManager;

// The lazily created network access manager of one provider, kept for the
// provider's life. The manager belongs to the thread that first asks for it.
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
