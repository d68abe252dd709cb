#pragma once

#include "core/os/NotificationManager.h"

#include <QDBusConnection>
#include <QHash>
#include <QObject>

#include <optional>

// Alerts through org.freedesktop.Notifications on the session bus, with the
// desktop's default message sound. An alert that replaces its provider's
// last one reuses that notification's id (replaces_id), waiting for the id
// if the first Notify is still on its way. The calls never block; without a
// notification service they are dropped and logged to quotix.dbus.
class FreedesktopNotifications : public QObject, public NotificationManager
{
    Q_OBJECT
public:
    explicit FreedesktopNotifications(QDBusConnection bus, QObject *parent = nullptr);

    void sendNotification(const QString &title, const QString &body) override;
    void sendAlert(const QString &key, const QString &title, const QString &body, bool replacesLast) override;

private:
    struct Message
    {
        QString title;
        QString body;
    };
    // One provider's alerts: the id the server gave the last one, and the
    // replacement waiting for it.
    struct Stream
    {
        uint lastId = 0;
        quint64 sentCalls = 0;
        bool awaitingId = false;
        std::optional<Message> waiting;
    };

    void notify(const QString &key, const Message &message, uint replacesId);

    QDBusConnection m_bus;
    QHash<QString, Stream> m_streams;
};
