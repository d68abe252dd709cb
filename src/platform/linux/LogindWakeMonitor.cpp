#include "platform/linux/LogindWakeMonitor.h"

#include <QDBusConnectionInterface>

using namespace Qt::StringLiterals;

LogindWakeMonitor::LogindWakeMonitor(QDBusConnection systemBus, QObject *parent)
    : WakeMonitor(parent)
    , m_bus(std::move(systemBus))
{
    // A bus without logind accepts the subscription and then never signals:
    // only subscribe where logind (or elogind) is really there.
    if (!m_bus.isConnected() || !m_bus.interface())
        return;
    const QString service = u"org.freedesktop.login1"_s;
    if (!m_bus.interface()->isServiceRegistered(service).value())
        return;
    m_watching = m_bus.connect(service, u"/org/freedesktop/login1"_s, u"org.freedesktop.login1.Manager"_s,
                               u"PrepareForSleep"_s, this, SLOT(onPrepareForSleep(bool)));
}

void LogindWakeMonitor::onPrepareForSleep(bool start)
{
    if (!start)
        Q_EMIT woke();
}
