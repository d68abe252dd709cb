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
