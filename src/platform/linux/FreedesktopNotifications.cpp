#include "platform/linux/FreedesktopNotifications.h"

#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QStringList>
#include <QVariantMap>

using namespace Qt::StringLiterals;

FreedesktopNotifications::FreedesktopNotifications(QDBusConnection bus)
    : m_bus(std::move(bus))
{
}

void FreedesktopNotifications::sendNotification(const QString &title, const QString &body)
{
    if (!m_bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(u"org.freedesktop.Notifications"_s,
                                                       u"/org/freedesktop/Notifications"_s,
                                                       u"org.freedesktop.Notifications"_s, u"Notify"_s);
    const QVariantMap hints{
        {u"sound-name"_s, u"message-new-instant"_s},
        {u"desktop-entry"_s, u"quotix"_s},
    };
    call << u"Quotix"_s // app_name
         << 0u          // replaces_id: never replace an earlier alert
         << u"quotix"_s // app_icon, the installed icon's name
         << title << body << QStringList() << hints
         << -1; // expire_timeout: the server's default
    // Fire and forget: the reply, or the error of a missing service, is never read.
    m_bus.asyncCall(call);
}
