// Our StatusNotifierItem as a tray host sees it, on a private session bus:
// registration with the watcher (again when the watcher comes back), the
// label, tooltip and icon read through Properties, change signals, Activate,
// the exported menu, and the wait for a host that appears late.
#include "DBusMenuTypes.h"
#include "LinuxTrayHost.h"
#include "StatusNotifierItem.h"
#include "StatusNotifierTypes.h"
#include "TitleLayout.h"
#include "test_title_fixtures.h"
#include "TrayHostWaiter.h"
#include "TrayIconPainter.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusReply>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

// The tray host's side, on a connection of its own.
class TestWatcher : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
public:
    QStringList registered;

public Q_SLOTS:
    void RegisterStatusNotifierItem(const QString &service) { registered.append(service); }
};

class SignalLog : public QObject
{
    Q_OBJECT
public:
    QStringList labels;
    QList<QVariantMap> changes;

public Q_SLOTS:
    void onNewLabel(const QString &label, const QString &) { labels.append(label); }
    void onPropertiesChanged(const QString &, const QVariantMap &changed, const QStringList &)
    {
        changes.append(changed);
    }
};

class TestStatusNotifierItem : public QObject
{
    Q_OBJECT

    QDBusConnection m_host = QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"host"_s);
    TestWatcher m_watcher;

    bool startWatcher()
    {
        return m_host.registerObject(QString(StatusNotifierItem::WatcherPath), &m_watcher,
                                     QDBusConnection::ExportAllSlots)
            && m_host.registerService(QString(StatusNotifierItem::WatcherService));
    }
    void stopWatcher()
    {
        m_host.unregisterService(QString(StatusNotifierItem::WatcherService));
        m_host.unregisterObject(QString(StatusNotifierItem::WatcherPath));
    }

    // The item answers from this thread's event loop, so a blocking call would stall.
    QDBusMessage call(const QDBusMessage &message)
    {
        QDBusPendingCall pending = m_host.asyncCall(message);
        if (!QTest::qWaitFor([&pending] { return pending.isFinished(); }))
            return {};
        return pending.reply();
    }

    QVariant property(const QString &service, const QString &name)
    {
        QDBusMessage get = QDBusMessage::createMethodCall(service, QString(StatusNotifierItem::ItemPath),
                                                          u"org.freedesktop.DBus.Properties"_s, u"Get"_s);
        get << u"org.kde.StatusNotifierItem"_s << name;
        const QDBusMessage reply = call(get);
        if (reply.type() != QDBusMessage::ReplyMessage)
            return {};
        return reply.arguments().constFirst().value<QDBusVariant>().variant();
    }

    QDBusMessage menuCall(const QString &service, const QString &method, const QVariantList &arguments)
    {
        QDBusMessage call = QDBusMessage::createMethodCall(service, QString(StatusNotifierItem::MenuPath),
                                                           u"com.canonical.dbusmenu"_s, method);
        call.setArguments(arguments);
        return this->call(call);
    }

    static TitleLayout twoProviders(double first, double second)
    {
        const auto claude = claudeLike();
        const auto codex = codexLike();
        return layoutTitle({claude, codex},
                           {{u"claude"_s, stateWith(claude, limits({{"Weekly (7d)", first}}))},
                            {u"codex"_s, stateWith(codex, limits({{"Weekly", second}}))}},
                           false, DisplayMode::Weekly);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_host.isConnected(), "needs a session bus: run under dbus-run-session");
        registerStatusNotifierTypes();
        registerDBusMenuTypes();
    }

    void init() { m_watcher.registered.clear(); }
    void cleanup() { stopWatcher(); }

    void registersAndPublishesTheTitle()
    {
        QVERIFY(startWatcher());
        StatusNotifierItem item(QDBusConnection::sessionBus());
        QVERIFY(item.isPublished());
        QTRY_VERIFY(m_watcher.registered.contains(item.serviceName()));

        const QString service = item.serviceName();
        QCOMPARE(property(service, u"XAyatanaLabel"_s).toString(), u"\u23F3"_s);
        QCOMPARE(property(service, u"Status"_s).toString(), u"Active"_s);
        QCOMPARE(property(service, u"Category"_s).toString(), u"ApplicationStatus"_s);
        QCOMPARE(property(service, u"Menu"_s).value<QDBusObjectPath>().path(), QString(StatusNotifierItem::MenuPath));

        // Hosts that read the interface description see the real types.
        const QDBusMessage introspection = call(QDBusMessage::createMethodCall(
            service, QString(StatusNotifierItem::ItemPath), u"org.freedesktop.DBus.Introspectable"_s,
            u"Introspect"_s));
        const QString xml = introspection.arguments().value(0).toString();
        for (const QString &declaration :
             {u"<property name=\"IconPixmap\" type=\"a(iiay)\" access=\"read\""_s,
              u"<property name=\"ToolTip\" type=\"(sa(iiay)ss)\" access=\"read\""_s,
              u"<property name=\"XAyatanaLabel\" type=\"s\" access=\"read\""_s,
              u"<signal name=\"XAyatanaNewLabel\">"_s, u"<method name=\"Activate\">"_s})
            QVERIFY2(xml.contains(declaration), qPrintable(declaration));

        item.setTitle(twoProviders(42, 17), {u"Claude \u2014 Weekly (7d): 42%"_s, u"Codex \u2014 Weekly: 17%"_s});
        QCOMPARE(property(service, u"XAyatanaLabel"_s).toString(), u"\U0001F916 42%  \u26A1 17%"_s);
        QCOMPARE(property(service, u"XAyatanaLabelGuide"_s).toString(), u"\U0001F916 100%  \u26A1 100%"_s);

        SniToolTip toolTip;
        property(service, u"ToolTip"_s).value<QDBusArgument>() >> toolTip;
        QCOMPARE(toolTip.title, u"\U0001F916 42%  \u26A1 17%"_s);
        QCOMPARE(toolTip.text, u"Claude \u2014 Weekly (7d): 42%\nCodex \u2014 Weekly: 17%"_s);

        SniIconPixmapList pixmaps;
        property(service, u"IconPixmap"_s).value<QDBusArgument>() >> pixmaps;
        QCOMPARE(pixmaps.size(), 2);
        QCOMPARE(QSize(pixmaps.at(0).width, pixmaps.at(0).height), QSize(22, 22));
        QCOMPARE(QSize(pixmaps.at(1).width, pixmaps.at(1).height), QSize(44, 44));

        // ARGB32 in network byte order: alpha, red, green, blue, whatever this machine's order.
        const QImage drawn = paintTrayIcon(twoProviders(42, 17), 22, 2.0, panelTextColor(QGuiApplication::palette()))
                                 .convertToFormat(QImage::Format_ARGB32);
        QByteArray expected;
        for (int i = 0; i < 44 * 44; ++i) {
            const QRgb pixel = drawn.pixel(i % 44, i / 44);
            for (int channel : {qAlpha(pixel), qRed(pixel), qGreen(pixel), qBlue(pixel)})
                expected += char(channel);
        }
        QCOMPARE(pixmaps.at(1).bytes, expected);
    }

    void announcesChangesBothWays()
    {
        QVERIFY(startWatcher());
        StatusNotifierItem item(QDBusConnection::sessionBus());
        SignalLog log;
        const QString service = item.serviceName();
        const QString path = QString(StatusNotifierItem::ItemPath);
        QVERIFY(m_host.connect(service, path, u"org.kde.StatusNotifierItem"_s, u"XAyatanaNewLabel"_s, &log,
                               SLOT(onNewLabel(QString, QString))));
        QVERIFY(m_host.connect(service, path, u"org.freedesktop.DBus.Properties"_s, u"PropertiesChanged"_s, &log,
                               SLOT(onPropertiesChanged(QString, QVariantMap, QStringList))));

        item.setTitle(twoProviders(42, 17), {});
        QTRY_COMPARE(log.labels, QStringList{u"\U0001F916 42%  \u26A1 17%"_s});
        QTRY_COMPARE(log.changes.size(), 1);
        QCOMPARE(log.changes.constFirst().value(u"XAyatanaLabel"_s).toString(), u"\U0001F916 42%  \u26A1 17%"_s);
        QVERIFY(log.changes.constFirst().contains(u"IconPixmap"_s));
        QVERIFY(log.changes.constFirst().contains(u"ToolTip"_s));

        item.setTitle(twoProviders(42.5, 17.9), {}); // the same title: nothing to announce
        item.setTitle(twoProviders(71, 17), {});
        QTRY_COMPARE(log.labels.size(), 2);
        QCOMPARE(log.labels.constLast(), u"\U0001F916 71%  \u26A1 17%"_s);
        QTRY_COMPARE(log.changes.size(), 2);
    }

    void activateAndMenu()
    {
        QVERIFY(startWatcher());
        StatusNotifierItem item(QDBusConnection::sessionBus());
        const QString service = item.serviceName();
        QSignalSpy activated(&item, &TrayItem::activated);
        QSignalSpy refresh(&item, &TrayItem::refreshRequested);
        QSignalSpy quit(&item, &TrayItem::quitRequested);
        QSignalSpy show(&item, &TrayItem::showRequested);

        QDBusMessage activate = QDBusMessage::createMethodCall(service, QString(StatusNotifierItem::ItemPath),
                                                               u"org.kde.StatusNotifierItem"_s, u"Activate"_s);
        activate << 640 << 12;
        QCOMPARE(call(activate).type(), QDBusMessage::ReplyMessage);
        QTRY_COMPARE(activated.size(), 1);
        QCOMPARE(activated.constFirst().at(0).toRect(), QRect());
        QCOMPARE(activated.constFirst().at(1).toPoint(), QPoint(640, 12));

        const QDBusMessage layoutReply = menuCall(service, u"GetLayout"_s, {0, -1, QStringList()});
        QCOMPARE(layoutReply.type(), QDBusMessage::ReplyMessage);
        DBusMenuLayoutItem root;
        layoutReply.arguments().at(1).value<QDBusArgument>() >> root;
        QCOMPARE(root.properties.value(u"children-display"_s).toString(), u"submenu"_s);
        QStringList labels;
        int quitId = 0;
        int refreshId = 0;
        int showId = 0;
        for (const DBusMenuLayoutItem &child : std::as_const(root.children)) {
            const QString label = child.properties.value(u"label"_s).toString();
            labels.append(child.properties.value(u"type"_s).toString() == u"separator"_s ? u"-"_s : label);
            if (label == u"Quit"_s)
                quitId = child.id;
            else if (label == u"Refresh"_s)
                refreshId = child.id;
            else if (label == u"Show Usage"_s)
                showId = child.id;
        }
        QCOMPARE(labels, (QStringList{u"Show Usage"_s, u"Refresh"_s, u"-"_s, u"Quit"_s}));

        for (int id : {showId, refreshId, quitId}) {
            const QVariantList event{id, u"clicked"_s, QVariant::fromValue(QDBusVariant(0)), 0u};
            QCOMPARE(menuCall(service, u"Event"_s, event).type(), QDBusMessage::ReplyMessage);
        }
        QTRY_COMPARE(quit.size(), 1);
        QCOMPARE(show.size(), 1);
        QCOMPARE(refresh.size(), 1);

        QCOMPARE(menuCall(service, u"GetLayout"_s, {99, -1, QStringList()}).type(), QDBusMessage::ErrorMessage);
    }

    void registersAgainWhenTheWatcherReturns()
    {
        QVERIFY(startWatcher());
        StatusNotifierItem item(QDBusConnection::sessionBus());
        QTRY_VERIFY(!m_watcher.registered.isEmpty());
        QTest::qWait(50);
        const qsizetype before = m_watcher.registered.size();
        stopWatcher();
        QVERIFY(startWatcher());
        QTRY_COMPARE(m_watcher.registered.size(), before + 1);
        QCOMPARE(m_watcher.registered.constLast(), item.serviceName());
    }

    void waitsForALateHost()
    {
        // Offscreen has no XEmbed tray: only a watcher can make a host.
        LinuxTrayHost host(QDBusConnection::sessionBus());
        QVERIFY(!host.createItem());

        TrayHostWaiter impatient(&host, 50ms, 10ms);
        QSignalSpy gaveUp(&impatient, &TrayHostWaiter::gaveUp);
        impatient.start();
        QVERIFY(gaveUp.wait());
        QVERIFY(host.missingHostMessage().contains(u"AppIndicator"_s));

        TrayHostWaiter patient(&host, 5s, 10ms);
        std::unique_ptr<TrayItem> found;
        connect(&patient, &TrayHostWaiter::found, this, [&found](TrayItem *item) { found.reset(item); });
        patient.start();
        QTimer::singleShot(100ms, this, [this] { QVERIFY(startWatcher()); });
        QTRY_VERIFY(found);
        QVERIFY(qobject_cast<StatusNotifierItem *>(found.get()));
        QTRY_VERIFY(!m_watcher.registered.isEmpty());
    }
};

QTEST_MAIN(TestStatusNotifierItem)
#include "test_sni.moc"
