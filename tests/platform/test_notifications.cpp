// Alerts reach the desktop's notification service on the session bus with
// our name, the alert's text and the default sound; the alerts of one check
// replace each other; with no service they vanish with a warning.
#include "platform/linux/FreedesktopNotifications.h"
#include "platform/linux/LinuxLogging.h"
#include "support/LogCapture.h"

#include <QDBusConnection>
#include <QTest>

using namespace Qt::StringLiterals;

// The test is the notification service too, on a connection of its own.
class TestNotifications : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

    QDBusConnection m_server = QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"server"_s);
    QStringList m_received;  // replaces_id summary: body
    QSet<QString> m_senders; // app name, sound

public Q_SLOTS:
    Q_SCRIPTABLE uint Notify(const QString &appName, uint replacesId, const QString &, const QString &summary,
                             const QString &body, const QStringList &, const QVariantMap &hints, int)
    {
        m_received.append(u"%1 %2: %3"_s.arg(replacesId).arg(summary, body));
        m_senders.insert(appName + u", "_s + hints.value(u"sound-name"_s).toString());
        return replacesId ? replacesId : uint(100 + m_received.size());
    }

private Q_SLOTS:
    // A lost alert is a warning, which reaches the journal with no rule set.
    void withoutAServiceAlertsVanishWithAWarning()
    {
        LogCapture log{QString()}; // the categories' defaults
        QVERIFY(!lcDBus().isInfoEnabled() && !lcTray().isDebugEnabled());
        FreedesktopNotifications(QDBusConnection(u"never-connected"_s)).sendNotification(u"A"_s, u"B"_s);
        FreedesktopNotifications notifications(QDBusConnection::sessionBus());
        notifications.sendNotification(u"Claude Usage Alert"_s, u"Usage is at 85%"_s);
        QTRY_COMPARE(LogCapture::lines().size(), 2);
        QVERIFY(LogCapture::lines().constFirst().startsWith(u"quotix.dbus: no session bus"_s));
        QVERIFY(LogCapture::lines().constLast().startsWith(u"quotix.dbus: notification"_s));
        QVERIFY(LogCapture::lines().constLast().contains(u"ServiceUnknown"_s));
    }

    void theSecondAlertOfOneCheckReplacesTheFirst()
    {
        QVERIFY(
            m_server.registerObject(u"/org/freedesktop/Notifications"_s, this, QDBusConnection::ExportScriptableSlots));
        QVERIFY(m_server.registerService(u"org.freedesktop.Notifications"_s));
        FreedesktopNotifications notifications(QDBusConnection::sessionBus());
        notifications.sendNotification(u"No tray"_s, u"Look here"_s); // a notice replaces nothing
        // 80 and 90 crossed in one check: the second takes the first one's id,
        // even though it is sent before the first Notify has been answered.
        notifications.sendAlert(u"claude"_s, u"Claude Usage Alert"_s, u"Usage is at 91%"_s, false);
        notifications.sendAlert(u"claude"_s, u"Claude Usage Alert"_s, u"Usage is at 91%"_s, true);
        notifications.sendAlert(u"codex"_s, u"Codex Usage Alert"_s, u"Usage is at 85%"_s, false);
        QTRY_COMPARE(
            m_received,
            (QStringList{u"0 No tray: Look here"_s, u"0 Claude Usage Alert: Usage is at 91%"_s,
                         u"0 Codex Usage Alert: Usage is at 85%"_s, u"102 Claude Usage Alert: Usage is at 91%"_s}));

        // A later climb alerts anew; its own second alert replaces it, not the old one.
        notifications.sendAlert(u"claude"_s, u"Claude Usage Alert"_s, u"Usage is at 95%"_s, false);
        QTest::qWait(100); // answered: the id is known before the next alert
        notifications.sendAlert(u"claude"_s, u"Claude Usage Alert"_s, u"Usage is at 96%"_s, true);
        QTRY_COMPARE(
            m_received.mid(4),
            (QStringList{u"0 Claude Usage Alert: Usage is at 95%"_s, u"105 Claude Usage Alert: Usage is at 96%"_s}));
        QCOMPARE(m_senders, QSet<QString>{u"Quotix, message-new-instant"_s});
    }
};

QTEST_GUILESS_MAIN(TestNotifications)
#include "test_notifications.moc"
