// Alerts reach the desktop's notification service on the session bus with
// our name, the alert's text and the default sound, each as a new
// notification; with no service they vanish without a word.
#include "FreedesktopNotifications.h"
#include "ScriptedProvider.h"
#include "UsageManager.h"

#include <QDBusConnection>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

struct Notification
{
    QString appName;
    uint replacesId = 0;
    QString appIcon;
    QString summary;
    QString body;
    QVariantMap hints;
    int expireTimeout = 0;
};

// A notification service of our own, on a connection of its own.
class TestNotificationServer : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QList<Notification> received;

public Q_SLOTS:
    uint Notify(const QString &appName, uint replacesId, const QString &appIcon, const QString &summary,
                const QString &body, const QStringList &, const QVariantMap &hints, int expireTimeout)
    {
        received.append({appName, replacesId, appIcon, summary, body, hints, expireTimeout});
        return uint(received.size());
    }
};

class TestNotifications : public QObject
{
    Q_OBJECT

    QDBusConnection m_server = QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"server"_s);
    TestNotificationServer m_service;

    bool startServer()
    {
        return m_server.registerObject(u"/org/freedesktop/Notifications"_s, &m_service,
                                       QDBusConnection::ExportAllSlots)
            && m_server.registerService(u"org.freedesktop.Notifications"_s);
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY2(m_server.isConnected(), "needs a session bus: run under dbus-run-session"); }

    void cleanup()
    {
        m_server.unregisterService(u"org.freedesktop.Notifications"_s);
        m_server.unregisterObject(u"/org/freedesktop/Notifications"_s);
        m_service.received.clear();
    }

    void eachAlertIsANewNotificationWithSound()
    {
        QVERIFY(startServer());
        FreedesktopNotifications notifications(QDBusConnection::sessionBus());
        notifications.sendNotification(u"Claude Usage Alert"_s, u"Usage is at 85%"_s);
        notifications.sendNotification(u"Claude Usage Alert"_s, u"Usage is at 92%"_s);
        QTRY_COMPARE(m_service.received.size(), 2);

        const Notification &first = m_service.received.at(0);
        QCOMPARE(first.appName, u"Quotix"_s);
        QCOMPARE(first.summary, u"Claude Usage Alert"_s);
        QCOMPARE(first.body, u"Usage is at 85%"_s);
        QCOMPARE(first.hints.value(u"sound-name"_s).toString(), u"message-new-instant"_s);
        QCOMPARE(first.hints.value(u"desktop-entry"_s).toString(), u"quotix"_s);
        QCOMPARE(first.expireTimeout, -1);
        QCOMPARE(m_service.received.at(1).body, u"Usage is at 92%"_s);
        for (const Notification &n : std::as_const(m_service.received))
            QCOMPARE(n.replacesId, 0u);
    }

    void coordinatorAlertsArrive()
    {
        QVERIFY(startServer());
        FreedesktopNotifications notifications(QDBusConnection::sessionBus());
        auto provider = std::make_shared<ScriptedProvider>(u"codex"_s, u"Codex"_s);
        provider->script({{usageOf({{"Weekly", 100}}), 0ms}});
        UsageManager manager({provider}, &notifications, UsageManager::Timing{1h, 10ms});
        manager.refresh();
        QTRY_COMPARE(m_service.received.size(), 2); // 80 and 90 at once
        QCOMPARE(m_service.received.at(0).summary, u"Codex Usage Alert"_s);
        QCOMPARE(m_service.received.at(1).body, u"Usage is at 100%"_s);
    }

    void noServiceDropsTheAlertSilently()
    {
        QTest::failOnWarning(QRegularExpression(u".*"_s));
        FreedesktopNotifications notifications(QDBusConnection::sessionBus());
        notifications.sendNotification(u"Claude Usage Alert"_s, u"Usage is at 85%"_s);
        FreedesktopNotifications noBus(QDBusConnection(u"never-connected"_s));
        noBus.sendNotification(u"Claude Usage Alert"_s, u"Usage is at 85%"_s);
        QTest::qWait(100); // the error reply arrives and is ignored
        QVERIFY(m_service.received.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestNotifications)
#include "test_notifications.moc"
