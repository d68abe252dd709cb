#pragma once

#include <QString>

// Hands alerts to the desktop's notification service; each call is a new
// notification. Delivery failures are not reported back.
class NotificationManager
{
public:
    virtual ~NotificationManager() = default;

    virtual void requestPermission() {}
    virtual void sendNotification(const QString &title, const QString &body) = 0;
};

// For the one-shot commands: their alerts belong to the tray application.
class NullNotificationManager : public NotificationManager
{
public:
    void sendNotification(const QString &, const QString &) override {}
};
