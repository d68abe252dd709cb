#include "platform/linux/LogindWakeMonitor.h"

#include <QDBusConnectionInterface>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {
const QString Logind = u"org.freedesktop.login1"_s;
}

LogindWakeMonitor::LogindWakeMonitor(std::function<QDBusConnection()> systemBus, QObject *parent)
    : WakeMonitor(parent)
{
    QTimer::singleShot(0, this, [this, systemBus = std::move(systemBus)] { subscribe(systemBus()); });
}

void LogindWakeMonitor::subscribe(QDBusConnection bus)
{
    m_bus = std::move(bus);
    if (!m_bus.isConnected() || !m_bus.interface()) {
        m_watching = false;
        return;
    }
    // A bus without logind accepts the subscription and then never signals:
    // only subscribe where logind (or elogind) is really there.
    auto *asked = new QDBusPendingCallWatcher(m_bus.interface()->asyncCall(u"NameHasOwner"_s, Logind), this);
    connect(asked, &QDBusPendingCallWatcher::finished, this, [this, asked] {
        asked->deleteLater();
        const QDBusPendingReply<bool> there = *asked;
        m_watching = there.isValid() && there.value()
            && m_bus.connect(Logind, u"/org/freedesktop/login1"_s, u"org.freedesktop.login1.Manager"_s,
                             u"PrepareForSleep"_s, this, SLOT(onPrepareForSleep(bool)));
    });
}

void LogindWakeMonitor::onPrepareForSleep(bool start)
{
    if (!start)
        Q_EMIT woke();
}
