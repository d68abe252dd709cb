// Started where no tray host runs (GNOME without the extension), the tray
// application says so once and keeps looking; when a StatusNotifierWatcher
// comes up on the private session bus, the item appears and registers.
#include "platform/linux/LinuxTrayHost.h"
#include "platform/linux/StatusNotifierItem.h"
#include "tray/TrayHostWaiter.h"

#include <QDBusConnection>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

class TestTrayHostWait : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")

    QDBusConnection m_host = QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"host"_s);
    QStringList m_registered;

public Q_SLOTS:
    Q_SCRIPTABLE void RegisterStatusNotifierItem(const QString &service) { m_registered.append(service); }

private Q_SLOTS:
    void aTrayThatComesLaterGetsTheItem()
    {
        QVERIFY2(m_host.isConnected(), "needs a session bus: run under dbus-run-session");
        LinuxTrayHost host(QDBusConnection::sessionBus());
        // The slow poll never fires here: only the watcher's arrival can find the tray.
        TrayHostWaiter waiter(&host, 50ms, 10ms, 1h);
        QSignalSpy gaveUp(&waiter, &TrayHostWaiter::gaveUp);
        std::unique_ptr<TrayItem> item;
        connect(&waiter, &TrayHostWaiter::found, this, [&item](TrayItem *found) { item.reset(found); });
        waiter.start();
        QTRY_COMPARE(gaveUp.size(), 1);
        QTest::qWait(100);
        QCOMPARE(gaveUp.size(), 1); // said once
        QVERIFY(!item);

        QVERIFY(m_host.registerObject(QString(StatusNotifierItem::WatcherPath), this,
                                      QDBusConnection::ExportScriptableSlots));
        QVERIFY(m_host.registerService(QString(StatusNotifierItem::WatcherService)));
        QTRY_VERIFY(item);
        auto *sni = qobject_cast<StatusNotifierItem *>(item.get());
        QVERIFY(sni);
        QTRY_COMPARE(m_registered, QStringList{sni->serviceName()});
        QCOMPARE(gaveUp.size(), 1);
    }

    void theMessageNamesTheFix()
    {
        const QString message = LinuxTrayHost(QDBusConnection::sessionBus()).missingHostMessage();
        for (const char *needed : {"\"Ubuntu AppIndicators\"", "ubuntu-appindicators@ubuntu.com",
                                   "sudo apt install gnome-shell-extension-appindicator",
                                   "gnome-extensions enable ubuntu-appindicators@ubuntu.com", "log out"})
            QVERIFY2(message.contains(QLatin1StringView(needed)), needed);
    }
};

QTEST_MAIN(TestTrayHostWait)
#include "test_trayhostwait.moc"
