#pragma once

#include "core/os/WakeMonitor.h"

#include <QDBusConnection>

#include <functional>
#include <optional>

// Wakes as logind announces them: PrepareForSleep(false) on the system bus.
// Without that bus or without logind on it, nothing is announced.
class LogindWakeMonitor : public WakeMonitor
{
    Q_OBJECT
public:
    // The bus is connected to, and logind looked for, once the event loop
    // runs: a wake is of no use before, and the tray icon should not wait.
    explicit LogindWakeMonitor(std::function<QDBusConnection()> systemBus, QObject *parent = nullptr);

    // Empty while logind is still being looked for.
    std::optional<bool> isWatching() const { return m_watching; }

private Q_SLOTS:
    void onPrepareForSleep(bool start);

private:
    void subscribe(QDBusConnection bus);

    QDBusConnection m_bus{QString()};
    std::optional<bool> m_watching;
};
