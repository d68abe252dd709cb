#pragma once

#include <QString>
#include <QtGlobal>

// Hands alerts to the desktop's notification service; each call is a new
// notification. Delivery failures are not reported back.
class NotificationManager
{
public:
    virtual ~NotificationManager() = default;

    virtual void requestPermission() {}
    virtual void sendNotification(const QString &title, const QString &body) = 0;

    // An alert about one provider (key). With replacesLast it takes the place
    // of that provider's last alert where the desktop can replace
    // notifications, so the alerts of one check show as one.
    virtual void sendAlert(const QString &key, const QString &title, const QString &body, bool replacesLast)
    {
        Q_UNUSED(key);
        Q_UNUSED(replacesLast);
        sendNotification(title, body);
    }
};

// For the one-shot commands: their alerts belong to the tray application.
class NullNotificationManager : public NotificationManager
{
public:
    void sendNotification(const QString &, const QString &) override {}
};
