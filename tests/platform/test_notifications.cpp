// Alerts reach the desktop's notification service on the session bus with
// our name, the alert's text and the default sound, each as a new
// notification; with no service they vanish without a word.
#include "platform/linux/FreedesktopNotifications.h"

#include <QDBusConnection>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

// The test is the notification service too, on a connection of its own.
class TestNotifications : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

    QDBusConnection m_server = QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"server"_s);
    QList<QVariantList> m_received; // app name, replaces_id, summary, body, sound

public Q_SLOTS:
    Q_SCRIPTABLE uint Notify(const QString &appName, uint replacesId, const QString &, const QString &summary,
                             const QString &body, const QStringList &, const QVariantMap &hints, int)
    {
        m_received.append({appName, replacesId, summary, body, hints.value(u"sound-name"_s)});
        return uint(m_received.size());
    }

private Q_SLOTS:
    void alertsAreNewNotificationsWithSoundOrNothing()
    {
        // No service yet: the alert is dropped without a word.
        QTest::failOnWarning(QRegularExpression(u".*"_s));
        FreedesktopNotifications(QDBusConnection::sessionBus()).sendNotification(u"A"_s, u"B"_s);
        FreedesktopNotifications(QDBusConnection(u"never-connected"_s)).sendNotification(u"A"_s, u"B"_s);
        QTest::qWait(100); // the error reply arrives and is ignored

        QVERIFY(m_server.registerObject(u"/org/freedesktop/Notifications"_s, this,
                                        QDBusConnection::ExportScriptableSlots));
        QVERIFY(m_server.registerService(u"org.freedesktop.Notifications"_s));
        FreedesktopNotifications notifications(QDBusConnection::sessionBus());
        notifications.sendNotification(u"Claude Usage Alert"_s, u"Usage is at 85%"_s);
        notifications.sendNotification(u"Claude Usage Alert"_s, u"Usage is at 92%"_s);
        QTRY_COMPARE(m_received.size(), 2);
        for (const QString &body : {u"Usage is at 85%"_s, u"Usage is at 92%"_s})
            QCOMPARE(m_received.takeFirst(), (QVariantList{u"Quotix"_s, 0u, u"Claude Usage Alert"_s, body,
                                                           u"message-new-instant"_s}));
    }
};

QTEST_GUILESS_MAIN(TestNotifications)
#include "test_notifications.moc"
