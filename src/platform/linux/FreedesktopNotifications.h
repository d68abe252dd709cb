#pragma once

#include "core/os/NotificationManager.h"

#include <QDBusConnection>

// Alerts through org.freedesktop.Notifications on the session bus, with the
// desktop's default message sound. Each alert is a notification of its own.
// The call never waits; without a notification service it is dropped.
class FreedesktopNotifications : public NotificationManager
{
public:
    explicit FreedesktopNotifications(QDBusConnection bus);

    void sendNotification(const QString &title, const QString &body) override;

private:
    QDBusConnection m_bus;
};
