// Alerts reach the desktop's notification service on the session bus with
// our name, the alert's text and the default sound; the alerts of one check
// replace each other; with no service they vanish without a word.
#include "platform/linux/FreedesktopNotifications.h"
#include "support/LogCapture.h"

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
        return replacesId ? replacesId : uint(100 + m_received.size());
    }

private:
    void setUpServer()
    {
        QVERIFY(
            m_server.registerObject(u"/org/freedesktop/Notifications"_s, this, QDBusConnection::ExportScriptableSlots));
        QVERIFY(m_server.registerService(u"org.freedesktop.Notifications"_s));
    }

private Q_SLOTS:
    void alertsAreNewNotificationsWithSoundOrNothing()
    {
        // No service yet: the alert is dropped without a word.
        QTest::failOnWarning(QRegularExpression(u".*"_s));
        FreedesktopNotifications(QDBusConnection::sessionBus()).sendNotification(u"A"_s, u"B"_s);
        FreedesktopNotifications(QDBusConnection(u"never-connected"_s)).sendNotification(u"A"_s, u"B"_s);
        QTest::qWait(100); // the error reply arrives and is ignored

        setUpServer();
        FreedesktopNotifications notifications(QDBusConnection::sessionBus());
        notifications.sendNotification(u"Claude Usage Alert"_s, u"Usage is at 85%"_s);
        notifications.sendNotification(u"Claude Usage Alert"_s, u"Usage is at 92%"_s);
        QTRY_COMPARE(m_received.size(), 2);
        for (const QString &body : {u"Usage is at 85%"_s, u"Usage is at 92%"_s})
            QCOMPARE(m_received.takeFirst(),
                     (QVariantList{u"Quotix"_s, 0u, u"Claude Usage Alert"_s, body, u"message-new-instant"_s}));
    }

    void aFailedNotifyIsLoggedWhenAsked()
    {
        // A server that answers Notify with an error: the alert is lost, the log says why.
        m_server.unregisterService(u"org.freedesktop.Notifications"_s);
        FreedesktopNotifications notifications(QDBusConnection::sessionBus());
        {
            LogCapture silent{QString()}; // the default rules
            notifications.sendNotification(u"Claude Usage Alert"_s, u"Usage is at 85%"_s);
            QTest::qWait(200);
            QCOMPARE(LogCapture::lines(), QStringList());
        }
        LogCapture log(u"quotix.dbus=true"_s);
        notifications.sendNotification(u"Claude Usage Alert"_s, u"Usage is at 85%"_s);
        QTRY_COMPARE(LogCapture::lines().size(), 1);
        QVERIFY(LogCapture::lines().constFirst().startsWith(u"quotix.dbus: notification"_s));
        QVERIFY(LogCapture::lines().constFirst().contains(u"ServiceUnknown"_s));
        QVERIFY(m_server.registerService(u"org.freedesktop.Notifications"_s));
    }

    void oneCheckShowsOneAlert()
    {
        // 80 and 90 crossed in one check: the second takes the first one's id,
        // even though it is sent before the first Notify has been answered.
        FreedesktopNotifications notifications(QDBusConnection::sessionBus());
        m_received.clear();
        notifications.sendAlert(u"claude"_s, u"Claude Usage Alert"_s, u"Usage is at 91%"_s, false);
        notifications.sendAlert(u"claude"_s, u"Claude Usage Alert"_s, u"Usage is at 91%"_s, true);
        notifications.sendAlert(u"codex"_s, u"Codex Usage Alert"_s, u"Usage is at 85%"_s, false);
        QTRY_COMPARE(m_received.size(), 3);
        const auto replaces = [this](int i) { return m_received.at(i).at(1).toUInt(); };
        const auto body = [this](int i) { return m_received.at(i).at(3).toString(); };
        QCOMPARE(replaces(0), 0u);
        QCOMPARE(body(1), u"Usage is at 85%"_s); // another provider is another alert
        QCOMPARE(replaces(1), 0u);
        QCOMPARE(body(2), u"Usage is at 91%"_s);
        QCOMPARE(replaces(2), 101u);

        // A later climb alerts anew; its own second alert replaces it, not the old one.
        notifications.sendAlert(u"claude"_s, u"Claude Usage Alert"_s, u"Usage is at 95%"_s, false);
        QTRY_COMPARE(m_received.size(), 4);
        QCOMPARE(replaces(3), 0u);
        QTest::qWait(50);
        notifications.sendAlert(u"claude"_s, u"Claude Usage Alert"_s, u"Usage is at 96%"_s, true);
        QTRY_COMPARE(m_received.size(), 5);
        QCOMPARE(replaces(4), 104u);
    }
};

QTEST_GUILESS_MAIN(TestNotifications)
#include "test_notifications.moc"
