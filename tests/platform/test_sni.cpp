// Our StatusNotifierItem as a tray host sees it, on a private session bus:
// registration with the watcher (again when the watcher comes back), the
// label, tooltip and icon read through Properties, change signals, Activate,
// the exported menu, and the choice of this item when a watcher runs.
#include "platform/linux/DBusMenuTypes.h"
#include "platform/linux/LinuxTrayHost.h"
#include "platform/linux/StatusNotifierItem.h"
#include "support/TitleFixtures.h"
#include "ui/TrayIconPainter.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QGuiApplication>
#include <QTest>
#include <QtEndian>

#include <climits>

using namespace Qt::StringLiterals;

// The test is the tray host too, on a connection of its own: the watcher it
// exports and the item's signals it hears.
class TestStatusNotifierItem : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")

    QDBusConnection m_host = QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"host"_s);
    std::unique_ptr<StatusNotifierItem> m_item;
    QStringList m_registered, m_labels;
    QList<QVariantMap> m_changes;

public Q_SLOTS:
    Q_SCRIPTABLE void RegisterStatusNotifierItem(const QString &service) { m_registered.append(service); }
    void onNewLabel(const QString &label, const QString &) { m_labels.append(label); }
    void onChanged(const QString &, const QVariantMap &changed, const QStringList &) { m_changes.append(changed); }

private:
    // The item follows the watcher's name, not its object.
    bool startWatcher() { return m_host.registerService(QString(StatusNotifierItem::WatcherService)); }
    void stopWatcher() { m_host.unregisterService(QString(StatusNotifierItem::WatcherService)); }

    // The item answers from this thread's event loop, so a blocking call would stall.
    QDBusMessage call(QLatin1StringView path, const QString &interface, const QString &method, QVariantList args)
    {
        QDBusMessage message = QDBusMessage::createMethodCall(m_item->serviceName(), path, interface, method);
        message.setArguments(args);
        QDBusPendingCall pending = m_host.asyncCall(message);
        return QTest::qWaitFor([&pending] { return pending.isFinished(); }) ? pending.reply() : QDBusMessage();
    }
    QVariant property(const QString &name)
    {
        return call(StatusNotifierItem::ItemPath, u"org.freedesktop.DBus.Properties"_s, u"Get"_s,
                    {u"org.kde.StatusNotifierItem"_s, name})
            .arguments()
            .value(0)
            .value<QDBusVariant>()
            .variant();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_host.isConnected(), "needs a session bus: run under dbus-run-session");
        QVERIFY(m_host.registerObject(QString(StatusNotifierItem::WatcherPath), this,
                                      QDBusConnection::ExportScriptableSlots));
        registerStatusNotifierTypes();
        registerDBusMenuTypes();
    }
    void init()
    {
        m_registered.clear();
        QVERIFY(startWatcher());
        m_item = std::make_unique<StatusNotifierItem>(QDBusConnection::sessionBus());
        QTRY_VERIFY(m_registered.contains(m_item->serviceName()));
    }
    void cleanup()
    {
        m_item.reset();
        stopWatcher();
    }

    void publishesAndAnnouncesTheTitle()
    {
        const QString service = m_item->serviceName(), path = QString(StatusNotifierItem::ItemPath);
        QVERIFY(m_host.connect(service, path, u"org.kde.StatusNotifierItem"_s, u"XAyatanaNewLabel"_s, this,
                               SLOT(onNewLabel(QString, QString))));
        QVERIFY(m_host.connect(service, path, u"org.freedesktop.DBus.Properties"_s, u"PropertiesChanged"_s, this,
                               SLOT(onChanged(QString, QVariantMap, QStringList))));
        QCOMPARE(property(u"XAyatanaLabel"_s).toString(), u"Loading\u2026"_s);

        const QStringList details{u"Claude \u2014 Weekly (7d): 42%"_s, u"Codex \u2014 Weekly: 17%"_s};
        m_item->setTitle(weeklyTitle(42, 17), details);
        QCOMPARE(property(u"XAyatanaLabel"_s).toString(), u"Claude 42% \u00B7 Codex 17%"_s);
        QCOMPARE(property(u"XAyatanaLabelGuide"_s).toString(), u"Claude 100% \u00B7 Codex 100%"_s);
        SniToolTip toolTip;
        property(u"ToolTip"_s).value<QDBusArgument>() >> toolTip;
        QCOMPARE(toolTip.title, u"Claude 42% \u00B7 Codex 17%"_s);
        QCOMPARE(toolTip.text, u"Claude \u2014 Weekly (7d): 42%\nCodex \u2014 Weekly: 17%"_s);

        SniIconPixmapList pixmaps;
        property(u"IconPixmap"_s).value<QDBusArgument>() >> pixmaps;
        // GNOME draws 16 px icons, other hosts 22 px; each doubled on dense screens.
        QList<int> sides;
        for (const SniIconPixmap &pixmap : pixmaps) {
            QCOMPARE(pixmap.width, pixmap.height);
            sides.append(pixmap.width);
        }
        QCOMPARE(sides, (QList<int>{16, 22, 32, 44}));
        // ARGB32 in network byte order, whatever this machine's order.
        const QImage drawn = paintTrayIcon(weeklyTitle(42, 17), 22, 2.0, panelTextColor(QGuiApplication::palette()))
                                 .convertToFormat(QImage::Format_ARGB32);
        QByteArray expected;
        for (int i = 0; i < 44 * 44; ++i) {
            const quint32 argb = qToBigEndian(quint32(drawn.pixel(i % 44, i / 44)));
            expected.append(reinterpret_cast<const char *>(&argb), 4);
        }
        QCOMPARE(pixmaps.at(3).bytes, expected);

        m_item->setTitle(weeklyTitle(42.5, 17.9), details); // the same title: nothing to announce
        m_item->setTitle(weeklyTitle(71, 17), details);
        QTRY_COMPARE(m_labels, (QStringList{u"Claude 42% \u00B7 Codex 17%"_s, u"Claude 71% \u00B7 Codex 17%"_s}));
        QTRY_COMPARE(m_changes.size(), 2);
        QCOMPARE(m_changes.constFirst().keys(),
                 (QStringList{u"IconPixmap"_s, u"ToolTip"_s, u"XAyatanaLabel"_s, u"XAyatanaLabelGuide"_s}));
    }

    void activateAndMenu()
    {
        QStringList asked;
        connect(m_item.get(), &TrayItem::activated, this,
                [&](const QRect &, const QPoint &at) { asked.append(u"activate %1,%2"_s.arg(at.x()).arg(at.y())); });
        for (const auto &[signal, name] : {std::pair{&TrayItem::showRequested, "show"},
                                           {&TrayItem::refreshRequested, "refresh"},
                                           {&TrayItem::quitRequested, "quit"}})
            connect(m_item.get(), signal, this, [&asked, name] { asked.append(QString::fromLatin1(name)); });
        call(StatusNotifierItem::ItemPath, u"org.kde.StatusNotifierItem"_s, u"Activate"_s, {640, 12});
        // Extreme coordinates arrive clamped, so placement arithmetic cannot overflow.
        call(StatusNotifierItem::ItemPath, u"org.kde.StatusNotifierItem"_s, u"Activate"_s, {INT_MIN, INT_MAX});
        for (const char *method : {"ContextMenu", "SecondaryActivate"})
            QCOMPARE(call(StatusNotifierItem::ItemPath, u"org.kde.StatusNotifierItem"_s, QString::fromLatin1(method),
                          {INT_MIN, INT_MIN})
                         .type(),
                     QDBusMessage::ReplyMessage);

        // Every entry clicked, the separator too: it asks for nothing.
        DBusMenuLayoutItem root;
        call(StatusNotifierItem::MenuPath, u"com.canonical.dbusmenu"_s, u"GetLayout"_s, {0, -1, QStringList()})
                .arguments()
                .value(1)
                .value<QDBusArgument>()
            >> root;
        QStringList labels;
        for (const DBusMenuLayoutItem &child : std::as_const(root.children)) {
            labels.append(child.properties.value(u"label"_s).toString());
            call(StatusNotifierItem::MenuPath, u"com.canonical.dbusmenu"_s, u"Event"_s,
                 {child.id, u"clicked"_s, QVariant::fromValue(QDBusVariant(0)), 0u});
        }
        QCOMPARE(labels, (QStringList{u"Show Usage\u2026"_s, u"Refresh"_s, QString(), u"Quit"_s}));
        const QString far = QString::number(StatusNotifierItem::MaxCoordinate);
        QTRY_COMPARE(asked,
                     (QStringList{u"activate 640,12"_s, u"activate -"_s + far + u","_s + far, u"show"_s, u"refresh"_s,
                                  u"quit"_s}));
    }

    void registersAgainWhenTheWatcherReturns()
    {
        m_registered.clear();
        stopWatcher();
        QVERIFY(startWatcher());
        QTRY_COMPARE(m_registered, QStringList{m_item->serviceName()});
    }

    void aHostOnlyWithAWatcher()
    {
        cleanup(); // no item, no watcher
        LinuxTrayHost host(QDBusConnection::sessionBus());
        QVERIFY(!host.createItem()); // offscreen has no XEmbed tray
        QVERIFY(startWatcher());
        QVERIFY(qobject_cast<StatusNotifierItem *>(host.createItem().get()));
    }
};

QTEST_MAIN(TestStatusNotifierItem)
#include "test_sni.moc"
