#include "tray/TrayHostWaiter.h"

#include "core/os/TrayHost.h"
#include "core/os/TrayItem.h"

TrayHostWaiter::TrayHostWaiter(TrayHost *host, std::chrono::milliseconds patience,
                               std::chrono::milliseconds pollInterval, QObject *parent)
    : QObject(parent)
    , m_host(host)
    , m_patience(patience)
{
    m_poll.setInterval(pollInterval);
    connect(&m_poll, &QTimer::timeout, this, &TrayHostWaiter::look);
}

void TrayHostWaiter::start()
{
    m_deadline = std::chrono::steady_clock::now() + m_patience;
    QTimer::singleShot(0, this, &TrayHostWaiter::look);
}

void TrayHostWaiter::look()
{
    if (std::unique_ptr<TrayItem> item = m_host->createItem()) {
        m_poll.stop();
        Q_EMIT found(item.release());
        return;
    }
    if (std::chrono::steady_clock::now() >= m_deadline) {
        m_poll.stop();
        Q_EMIT gaveUp();
        return;
    }
    if (!m_poll.isActive())
        m_poll.start();
}
