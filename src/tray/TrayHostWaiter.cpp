#include "tray/TrayHostWaiter.h"

#include "presentation/TrayHost.h"
#include "presentation/TrayItem.h"

#include <QPointer>

TrayHostWaiter::TrayHostWaiter(TrayHost *host, std::chrono::milliseconds patience,
                               std::chrono::milliseconds pollInterval, std::chrono::milliseconds slowPollInterval,
                               QObject *parent)
    : QObject(parent)
    , m_host(host)
    , m_patience(patience)
    , m_slowPollInterval(slowPollInterval)
{
    m_poll.setInterval(pollInterval);
    connect(&m_poll, &QTimer::timeout, this, &TrayHostWaiter::look);
}

void TrayHostWaiter::start()
{
    m_deadline = std::chrono::steady_clock::now() + m_patience;
    QPointer<TrayHostWaiter> self(this);
    m_host->watchForHost([self] {
        if (self)
            QMetaObject::invokeMethod(self, &TrayHostWaiter::look, Qt::QueuedConnection);
    });
    QTimer::singleShot(0, this, &TrayHostWaiter::look);
}

void TrayHostWaiter::look()
{
    if (m_found)
        return;
    if (std::unique_ptr<TrayItem> item = m_host->createItem()) {
        m_found = true;
        m_poll.stop();
        Q_EMIT found(item.release());
        return;
    }
    if (!m_gaveUp && std::chrono::steady_clock::now() >= m_deadline) {
        m_gaveUp = true;
        m_poll.setInterval(m_slowPollInterval);
        Q_EMIT gaveUp();
    }
    if (!m_poll.isActive())
        m_poll.start();
}
