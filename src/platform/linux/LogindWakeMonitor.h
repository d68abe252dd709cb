#pragma once

#include "core/os/WakeMonitor.h"

#include <QDBusConnection>

// Wakes as logind announces them: PrepareForSleep(false) on the system bus.
// Without that bus or without logind on it, nothing is announced.
class LogindWakeMonitor : public WakeMonitor
{
    Q_OBJECT
public:
    explicit LogindWakeMonitor(QDBusConnection systemBus, QObject *parent = nullptr);

    bool isWatching() const { return m_watching; }

private Q_SLOTS:
    void onPrepareForSleep(bool start);

private:
    QDBusConnection m_bus;
    bool m_watching = false;
};
