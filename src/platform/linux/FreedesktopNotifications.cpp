#include "platform/linux/FreedesktopNotifications.h"

#include "platform/linux/LinuxLogging.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

using namespace Qt::StringLiterals;

FreedesktopNotifications::FreedesktopNotifications(QDBusConnection bus, QObject *parent)
    : QObject(parent)
    , m_bus(std::move(bus))
{}

void FreedesktopNotifications::sendNotification(const QString &title, const QString &body)
{
    notify(QString(), Message{title, body}, 0);
}

void FreedesktopNotifications::sendAlert(const QString &key, const QString &title, const QString &body,
                                         bool replacesLast)
{
    Stream &stream = m_streams[key];
    if (replacesLast && stream.awaitingId) {
        stream.waiting = Message{title, body}; // the latest wins
        return;
    }
    notify(key, Message{title, body}, replacesLast ? stream.lastId : 0);
}

void FreedesktopNotifications::notify(const QString &key, const Message &message, uint replacesId)
{
    if (!m_bus.isConnected()) {
        qCWarning(lcDBus) << "no session bus: notification dropped:" << message.title;
        return;
    }
    QDBusMessage call
        = QDBusMessage::createMethodCall(u"org.freedesktop.Notifications"_s, u"/org/freedesktop/Notifications"_s,
                                         u"org.freedesktop.Notifications"_s, u"Notify"_s);
    const QVariantMap hints{
        {u"sound-name"_s, u"message-new-instant"_s},
        {u"desktop-entry"_s, u"quotix"_s},
    };
    call << u"Quotix"_s                                                    // app_name
         << replacesId                                                     // 0: a new notification
         << u"quotix"_s                                                    // app_icon, the installed icon's name
         << message.title << message.body << QStringList() << hints << -1; // expire_timeout: the server's default

    quint64 sequence = 0;
    if (!key.isEmpty()) {
        Stream &stream = m_streams[key];
        sequence = ++stream.sentCalls;
        stream.awaitingId = true;
    }
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, key, sequence, title = message.title](QDBusPendingCallWatcher *finished) {
                finished->deleteLater();
                const QDBusPendingReply<uint> reply = *finished;
                if (reply.isError())
                    qCWarning(lcDBus) << "notification" << title << "not shown:" << reply.error().name()
                                      << reply.error().message();
                if (key.isEmpty())
                    return;
                Stream &stream = m_streams[key];
                if (sequence != stream.sentCalls)
                    return; // a later alert of this provider is on its way
                stream.awaitingId = false;
                stream.lastId = reply.isError() ? 0 : reply.value();
                if (std::optional<Message> waiting = std::exchange(stream.waiting, std::nullopt))
                    notify(key, *waiting, stream.lastId);
            });
}
