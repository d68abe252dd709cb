// Our StatusNotifierItem and its com.canonical.dbusmenu as each tray host
// drives them, on a private session bus: registration with the watcher (first
// when a tray turns up late, again when the watcher comes back), the title
// read through Properties and announced, Activate, and every menu method with
// well-formed and malformed arguments. The test plays the host, as GNOME's
// AppIndicator extension does when turned on late: it forgets the basics while
// it sets up, and drops the item.
#include "platform/linux/DBusMenuExporter.h"
#include "platform/linux/LinuxTrayHost.h"
#include "platform/linux/StatusNotifierItem.h"
#include "support/TitleFixtures.h"
#include "tray/TrayHostWaiter.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMetaType>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QSignalSpy>
#include <QTest>

#include <climits>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

const QString ItemInterface = u"org.kde.StatusNotifierItem"_s;
const QString MenuInterface = u"com.canonical.dbusmenu"_s;
const QString Properties = u"org.freedesktop.DBus.Properties"_s;
const QString InvalidArgs = u"org.freedesktop.DBus.Error.InvalidArgs"_s;

// EventGroup's argument: a click on each id.
QVariant clicks(const QList<int> &ids)
{
    DBusMenuEventList events;
    for (int id : ids)
        events.append(DBusMenuEvent{id, u"clicked"_s, QDBusVariant(QString()), 0});
    return QVariant::fromValue(events);
}

} // namespace

// The test is the tray host too, on a connection of its own: the watcher it
// exports, the calls it makes and the signals it hears.
class TestStatusNotifierItem : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ registeredItems SCRIPTABLE true)

    QDBusConnection m_host = QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"host"_s);
    std::unique_ptr<StatusNotifierItem> m_item;
    QStringList m_registered, m_asked, m_listed;
    bool m_refuse = false;
    QList<QDBusMessage> m_signals;

public Q_SLOTS:
    Q_SCRIPTABLE void RegisterStatusNotifierItem(const QString &service)
    {
        m_registered.append(service);
        if (m_refuse)
            sendErrorReply(QDBusError::Failed, u"refused"_s);
        else
            m_listed.append(service);
    }
    QStringList registeredItems() const { return m_listed; }
    void onSignal(const QDBusMessage &message) { m_signals.append(message); }

private:
    // The item follows the watcher's name, not its object.
    bool startWatcher() { return m_host.registerService(QString(StatusNotifierItem::WatcherService)); }
    void stopWatcher() { m_host.unregisterService(QString(StatusNotifierItem::WatcherService)); }

    // The menu's interface lives on the menu's path, the others on the item's.
    static QString pathOf(const QString &interface)
    {
        return interface == MenuInterface ? QString(StatusNotifierItem::MenuPath) : QString(StatusNotifierItem::ItemPath);
    }
    void listen(const QString &interface, const QString &name)
    {
        QVERIFY(m_host.connect(m_item->serviceName(), pathOf(interface), interface, name, this,
                               SLOT(onSignal(QDBusMessage))));
    }
    // The item answers from this thread's event loop, so a blocking call would stall.
    QDBusMessage call(const QString &interface, const QString &method, const QVariantList &args)
    {
        QDBusMessage message = QDBusMessage::createMethodCall(m_item->serviceName(), pathOf(interface), interface, method);
        message.setArguments(args);
        QDBusPendingCall pending = m_host.asyncCall(message);
        return QTest::qWaitFor([&pending] { return pending.isFinished(); }) ? pending.reply() : QDBusMessage();
    }
    QVariant property(const QString &name)
    {
        return call(Properties, u"Get"_s, {ItemInterface, name}).arguments().value(0).value<QDBusVariant>().variant();
    }
    void drop(const QString &service)
    {
        QDBusMessage signal = QDBusMessage::createSignal(QString(StatusNotifierItem::WatcherPath),
                                                         QString(StatusNotifierItem::WatcherService),
                                                         u"StatusNotifierItemUnregistered"_s);
        signal << service;
        m_listed.removeAll(service);
        QVERIFY(m_host.send(signal));
    }
    QDBusMessage menuCall(const QString &method, const QVariantList &args) { return call(MenuInterface, method, args); }
    QDBusMessage event(int id, const QString &eventId = u"clicked"_s)
    {
        return menuCall(u"Event"_s, {id, eventId, QVariant::fromValue(QDBusVariant(0)), 0u});
    }
    QList<DBusMenuLayoutItem> rows()
    {
        const QDBusMessage reply = menuCall(u"GetLayout"_s, {0, -1, QStringList()});
        return qdbus_cast<DBusMenuLayoutItem>(reply.arguments().value(1)).children;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_host.isConnected(), "needs a session bus: run under dbus-run-session");
        QVERIFY(m_host.registerObject(QString(StatusNotifierItem::WatcherPath), this,
                                      QDBusConnection::ExportScriptableSlots
                                          | QDBusConnection::ExportScriptableProperties));
    }
    void init()
    {
        m_asked.clear();
        m_signals.clear();
        QVERIFY(startWatcher());
        m_item = std::make_unique<StatusNotifierItem>(QDBusConnection::sessionBus());
        QTRY_VERIFY(m_registered.contains(m_item->serviceName()));
        for (const auto &[signal, name] : {std::pair{&TrayItem::showRequested, "show"},
                                           {&TrayItem::refreshRequested, "refresh"},
                                           {&TrayItem::quitRequested, "quit"}})
            connect(m_item.get(), signal, this, [this, name] { m_asked.append(QString::fromLatin1(name)); });
    }
    void cleanup()
    {
        m_item.reset();
        stopWatcher();
        m_registered.clear();
        m_listed.clear();
    }

    // A host's proxy checks each property's type against the interface and
    // discards what does not match: every one must arrive, typed as declared.
    void everyPropertyArrivesTypedAsDeclared()
    {
        QHash<QString, QString> declared; // name:signature, as the interface's XML declares them
        for (const QString &pair : u"Category:s Id:s Title:s Status:s WindowId:i IconThemePath:s IconName:s "
                                   u"IconPixmap:a(iiay) OverlayIconName:s OverlayIconPixmap:a(iiay) AttentionIconName:s "
                                   u"AttentionIconPixmap:a(iiay) AttentionMovieName:s ToolTip:(sa(iiay)ss) ItemIsMenu:b "
                                   u"Menu:o XAyatanaLabel:s XAyatanaLabelGuide:s XAyatanaOrderingIndex:u IconAccessibleDesc:s "
                                   u"AttentionAccessibleDesc:s"_s.split(u' '))
            declared.insert(pair.section(u':', 0, 0), pair.section(u':', 1));
        const QDBusMessage reply = call(Properties, u"GetAll"_s, {ItemInterface});
        QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
        const QVariantMap all = qdbus_cast<QVariantMap>(reply.arguments().value(0));
        QCOMPARE(QSet<QString>(all.keyBegin(), all.keyEnd()), QSet<QString>(declared.keyBegin(), declared.keyEnd()));
        for (auto it = all.cbegin(); it != all.cend(); ++it) {
            const QVariant &value = it.value();
            const QString signature = value.userType() == qMetaTypeId<QDBusArgument>()
                ? value.value<QDBusArgument>().currentSignature()
                : QString::fromLatin1(QDBusMetaType::typeToSignature(value.metaType()));
            QVERIFY2(signature == declared.value(it.key()), qPrintable(it.key() + u": "_s + signature));
        }
        QCOMPARE(all.value(u"Id"_s).toString(), u"quotix"_s);
        QCOMPARE(qdbus_cast<QDBusObjectPath>(all.value(u"Menu"_s)).path(), QString(StatusNotifierItem::MenuPath));
    }

    // Turned on while the item runs, GNOME's extension can forget Id and Menu
    // as it sets up, then drop the item; the item says them again, and
    // registers again when it is dropped or no longer listed.
    void keepsItsPlaceWithAHostThatForgetsAndDrops()
    {
        cleanup();
        QVERIFY(startWatcher());
        const SniRegistrationDelays delays{20ms, 150ms, 10ms, 40ms, 3};
        m_item = std::make_unique<StatusNotifierItem>(QDBusConnection::sessionBus(), nullptr, delays);
        const QString name = m_item->serviceName();
        listen(Properties, u"PropertiesChanged"_s);
        QTRY_COMPARE(m_registered, QStringList{name});

        QTRY_COMPARE(m_signals.size(), 1);
        const QVariantMap said = qdbus_cast<QVariantMap>(m_signals.at(0).arguments().value(1));
        QCOMPARE(said.value(u"Id"_s).toString(), u"quotix"_s);
        QCOMPARE(qdbus_cast<QDBusObjectPath>(said.value(u"Menu"_s)).path(), QString(StatusNotifierItem::MenuPath));

        // Dropped: it comes back. Another item's drop is not its business.
        drop(u"org.kde.StatusNotifierItem-1-1"_s);
        drop(name);
        QTRY_COMPARE(m_registered, (QStringList{name, name}));

        // Dropped without a word: the list, looked at later, says so.
        m_listed.clear();
        QTRY_COMPARE(m_registered, (QStringList{name, name, name}));
        QTest::qWait(300); // listed again: no more
        QCOMPARE(m_registered.size(), 3);

        // A watcher that refuses it is asked again a bounded number of times.
        m_refuse = true;
        drop(name);
        QTRY_COMPARE(m_registered.size(), 3 + delays.maxRetries);
        QTest::qWait(300);
        QCOMPARE(m_registered.size(), 3 + delays.maxRetries);
        m_refuse = false;
    }

    void publishesAndAnnouncesTheTitle()
    {
        listen(ItemInterface, u"XAyatanaNewLabel"_s);
        listen(Properties, u"PropertiesChanged"_s);
        QCOMPARE(property(u"XAyatanaLabel"_s).toString(), u"Loading..."_s);

        const QStringList details{u"Claude \u2014 Weekly (7d): 42%"_s, u"Codex \u2014 Weekly: 17%"_s};
        m_item->setTitle(weeklyTitle(42, 17), details);
        QCOMPARE(property(u"XAyatanaLabel"_s).toString(), u"Claude 42% \u00B7 Codex 17%"_s);
        QCOMPARE(property(u"XAyatanaLabelGuide"_s).toString(), u"Claude 100% \u00B7 Codex 100%"_s);
        const auto toolTip = qdbus_cast<SniToolTip>(property(u"ToolTip"_s));
        QCOMPARE(toolTip.title, u"Claude 42% \u00B7 Codex 17%"_s);
        QCOMPARE(property(u"IconAccessibleDesc"_s).toString(), toolTip.title); // read out, not only drawn
        QCOMPARE(toolTip.text, u"Claude \u2014 Weekly (7d): 42%\nCodex \u2014 Weekly: 17%"_s);
        const auto pixmaps = qdbus_cast<SniIconPixmapList>(property(u"IconPixmap"_s));
        // GNOME draws 16 px icons, other hosts 22 px; each doubled on dense screens.
        QList<int> sides;
        for (const SniIconPixmap &pixmap : pixmaps)
            sides.append(pixmap.width == pixmap.height ? pixmap.width : -1);
        QCOMPARE(sides, (QList<int>{16, 22, 32, 44}));
        // ARGB32 in network byte order, whatever this machine's order.
        QImage pixel(1, 1, QImage::Format_ARGB32);
        pixel.fill(QColor(0x11, 0x22, 0x33, 0x80));
        QCOMPARE(sniIconPixmap(pixel).bytes, QByteArray("\x80\x11\x22\x33", 4));

        m_item->setTitle(weeklyTitle(42.5, 17.9), details); // the same title: nothing to announce
        m_item->setTitle(weeklyTitle(71, 17), details);
        QTRY_COMPARE(m_signals.size(), 4); // the label, then the properties, for each new title
        QCOMPARE(m_signals.at(2).arguments().value(0).toString(), u"Claude 71% \u00B7 Codex 17%"_s);
        QCOMPARE(qdbus_cast<QVariantMap>(m_signals.at(1).arguments().value(1)).keys(),
                 (QStringList{u"IconAccessibleDesc"_s, u"IconPixmap"_s, u"ToolTip"_s, u"XAyatanaLabel"_s,
                              u"XAyatanaLabelGuide"_s}));
    }

    void activateArrivesClampedAndEveryClickIsAnswered()
    {
        QList<QPoint> activated;
        connect(m_item.get(), &TrayItem::activated, this,
                [&activated](const QRect &, const QPoint &at) { activated.append(at); });
        call(ItemInterface, u"Activate"_s, {640, 12});
        // Extreme coordinates arrive clamped, so placement arithmetic cannot overflow.
        for (const QString &method : {u"Activate"_s, u"ContextMenu"_s, u"SecondaryActivate"_s})
            QVERIFY2(call(ItemInterface, method, {INT_MIN, INT_MAX}).type() == QDBusMessage::ReplyMessage,
                     qPrintable(method));
        const int far = StatusNotifierItem::MaxCoordinate;
        QTRY_COMPARE(activated, (QList<QPoint>{{640, 12}, {-far, far}}));
    }

    // GNOME's extension gives a token before the click; the window that click
    // shows must find it where Qt's Wayland shell looks, and no later one may.
    void anActivationTokenServesTheNextClickOnly()
    {
        qunsetenv("XDG_ACTIVATION_TOKEN");
        QStringList seen;
        const auto look = [&seen] { seen.append(qEnvironmentVariable("XDG_ACTIVATION_TOKEN")); };
        connect(m_item.get(), &TrayItem::activated, this, look);
        connect(m_item.get(), &TrayItem::showRequested, this, look);
        const auto item = [this](const QString &method, const QVariantList &args) { call(ItemInterface, method, args); };
        const QString provide = u"ProvideXdgActivationToken"_s, activate = u"Activate"_s;
        item(provide, {u"first"_s});
        item(activate, {1, 2});
        item(activate, {1, 2}); // no new token: none
        item(provide, {u"second"_s});
        event(rows().value(0).id); // Show Usage from the host's menu
        QTRY_COMPARE(seen.size(), 3);
        item(provide, {u"third"_s});
        item(u"SecondaryActivate"_s, {1, 2});
        item(activate, {1, 2}); // the token went with the middle click
        item(provide, {QString(StatusNotifierItem::MaxActivationTokenLength + 1, u'x')});
        item(activate, {1, 2});
        QTRY_COMPARE(seen, (QStringList{u"first"_s, {}, u"second"_s, {}, {}}));
        QVERIFY(qEnvironmentVariableIsEmpty("XDG_ACTIVATION_TOKEN"));
    }

    void registersWhenATrayComesLateAndAgainWhenItReturns()
    {
        cleanup(); // no item, no watcher
        LinuxTrayHost host(QDBusConnection::sessionBus(), /*gnome=*/false);
        {
            // Looking on after giving up, it says so only once.
            TrayHostWaiter looking(&host, 20ms, 5ms, 5ms);
            QSignalSpy gaveUp(&looking, &TrayHostWaiter::gaveUp);
            looking.start();
            QTRY_COMPARE(gaveUp.size(), 1);
            QTest::qWait(100); // more looks, no more notices
            QCOMPARE(gaveUp.size(), 1);
        }
        // The slow poll never fires here: only the watcher's arrival can find the tray.
        TrayHostWaiter waiter(&host, 0ms, 10ms, 1h);
        std::unique_ptr<TrayItem> item;
        connect(&waiter, &TrayHostWaiter::found, this, [&item](TrayItem *found) { item.reset(found); });
        waiter.start();
        QTest::qWait(50);
        QVERIFY(!item); // offscreen has no XEmbed tray

        QVERIFY(startWatcher());
        QTRY_VERIFY(qobject_cast<StatusNotifierItem *>(item.get()));
        const QString name = qobject_cast<StatusNotifierItem *>(item.get())->serviceName();
        QTRY_COMPARE(m_registered, QStringList{name});
        stopWatcher(); // a host that restarts brings its watcher back empty
        QVERIFY(startWatcher());
        QTRY_COMPARE(m_registered, (QStringList{name, name}));

        // GNOME's notice shows a line of each: what to do, then the command.
        const LinuxTrayHost gnome(QDBusConnection::sessionBus(), /*gnome=*/true);
        QCOMPARE(gnome.missingHostTitle(), u"Turn on the AppIndicator extension to see Quotix"_s);
        QVERIFY(gnome.missingHostMessage().startsWith(u"Run: gnome-extensions enable ubuntu-appindicators@ubuntu.com\n"_s));
        QCOMPARE(host.missingHostTitle(), u"Quotix has no tray to show its icon"_s);
        QVERIFY(!host.missingHostMessage().contains(u"gnome"_s));
    }

    void everyMenuMethodAsAHostCallsIt()
    {
        const QList<DBusMenuLayoutItem> menu = rows(); // Show Usage…, Refresh, a separator, Quit
        const int show = menu.value(0).id, refresh = menu.value(1).id, separator = menu.value(2).id;
        const int quit = menu.value(3).id;
        // A host that caches the menu reads the rows new to it in a group.
        QStringList group;
        for (const auto &item : qdbus_cast<DBusMenuItemPropertiesList>(
                 menuCall(u"GetGroupProperties"_s, {QVariant::fromValue(QList<int>{quit, refresh}), QStringList()})
                     .arguments()
                     .value(0)))
            group.append(item.properties.value(u"label"_s).toString() + u'#' + QString::number(item.id));
        QCOMPARE(group, (QStringList{u"Quit#%1"_s.arg(quit), u"Refresh#%1"_s.arg(refresh)}));
        QCOMPARE(menuCall(u"GetProperty"_s, {quit, u"enabled"_s}).arguments().value(0).value<QDBusVariant>().variant(),
                 QVariant(true));

        // Plasma and GNOME click with Event, XFCE and waybar with EventGroup.
        QCOMPARE(event(show).type(), QDBusMessage::ReplyMessage);
        event(separator);
        event(refresh, u"hovered"_s);
        QCOMPARE(menuCall(u"EventGroup"_s, {clicks({refresh, quit})}).type(), QDBusMessage::ReplyMessage);
        QTRY_COMPARE(m_asked, (QStringList{u"show"_s, u"refresh"_s, u"quit"_s}));
    }

    void malformedMenuCallsAreRefusedOrBounded()
    {
        const QList<DBusMenuLayoutItem> menu = rows();
        const int refresh = menu.value(1).id, quit = menu.value(3).id;
        QList<int> many{quit}; // too many distinct ids, one of them known
        for (int i = 1; i <= DBusMenuExporter::MaxIdsPerCall; ++i)
            many.append(10'000 + i);
        QStringList names{u"label"_s}; // and too many distinct property names
        for (int i = 1; i <= DBusMenuExporter::MaxNamesPerCall; ++i)
            names.append(u"x-%1"_s.arg(i));
        for (const auto &[method, args] :
             {std::pair{u"GetLayout"_s, QVariantList{999, -1, QStringList()}},
              {u"GetProperty"_s, QVariantList{999, u"label"_s}},
              {u"GetProperty"_s, QVariantList{quit, u"no-such-property"_s}},
              {u"AboutToShow"_s, QVariantList{-7}},
              {u"AboutToShowGroup"_s, QVariantList{QVariant::fromValue(QList<int>{998, 999})}},
              {u"GetGroupProperties"_s, QVariantList{QVariant::fromValue(QList<int>{998, 999}), QStringList()}},
              {u"EventGroup"_s, QVariantList{clicks({998, 999})}},
              {u"GetGroupProperties"_s, QVariantList{QVariant::fromValue(many), QStringList()}},
              {u"AboutToShowGroup"_s, QVariantList{QVariant::fromValue(many)}},
              {u"EventGroup"_s, QVariantList{clicks(many)}},
              {u"GetLayout"_s, QVariantList{0, -1, names}},
              {u"GetGroupProperties"_s, QVariantList{QVariant::fromValue(QList<int>{quit}), names}}})
            QVERIFY2(menuCall(method, args).errorName() == InvalidArgs, qPrintable(method));
        QCOMPARE(event(INT_MIN).errorName(), InvalidArgs);

        // Some unknown among known: the protocol answers with the unknown ones.
        const QDBusMessage mixed = menuCall(u"EventGroup"_s, {clicks({999, refresh})});
        QCOMPARE(qdbus_cast<QList<int>>(mixed.arguments().value(0)), QList<int>{999});
        const QDBusMessage showMixed = menuCall(u"AboutToShowGroup"_s, {QVariant::fromValue(QList<int>{quit, 999})});
        QCOMPARE(qdbus_cast<QList<int>>(showMixed.arguments().value(1)), QList<int>{999});

        // Duplicates collapse: one click, one answer per id.
        menuCall(u"EventGroup"_s, {clicks(QList<int>(50'000, quit))});
        const QDBusMessage same
            = menuCall(u"GetGroupProperties"_s, {QVariant::fromValue(QList<int>(50'000, quit)), QStringList()});
        QCOMPARE(qdbus_cast<DBusMenuItemPropertiesList>(same.arguments().value(0)).size(), 1);
        const QDBusMessage sameNames = menuCall(u"GetLayout"_s, {0, -1, QStringList(50'000, u"label"_s)});
        QCOMPARE(qdbus_cast<DBusMenuLayoutItem>(sameNames.arguments().value(1)).children.value(3).properties,
                 (QVariantMap{{u"label"_s, u"Quit"_s}}));

        QTest::qWait(50);
        QCOMPARE(m_asked, (QStringList{u"refresh"_s, u"quit"_s}));
    }

    // A host asking AboutToShow learns whether the menu changed for it.
    void aboutToShowSaysWhetherTheMenuChanged()
    {
        using Role = TrayMenuEntry::Role;
        int figures = 40;
        connect(m_item.get(), &TrayItem::menuAboutToShow, this, [this, &figures] {
            m_item->setMenu({{Role::Figures, u"Claude · Weekly %1%"_s.arg(figures), false}, {Role::Quit, u"Quit"_s}});
        });
        QCOMPARE(menuCall(u"AboutToShow"_s, {0}).arguments(), QVariantList{true});
        QCOMPARE(menuCall(u"AboutToShow"_s, {0}).arguments(), QVariantList{false});
        figures = 41;
        const QDBusMessage group = menuCall(u"AboutToShowGroup"_s, {QVariant::fromValue(QList<int>{0})});
        QCOMPARE(qdbus_cast<QList<int>>(group.arguments().value(0)), QList<int>{0});
    }

    void openMenusFollowTheRows()
    {
        for (const QString &name : {u"LayoutUpdated"_s, u"ItemsPropertiesUpdated"_s})
            listen(MenuInterface, name);
        using Role = TrayMenuEntry::Role;
        const auto menu = [](const QString &figures, bool refreshing, bool launching) {
            return QList<TrayMenuEntry>{{Role::Figures, figures, false},
                                        {Role::Separator},
                                        {Role::Refresh, u"Refresh"_s, !refreshing},
                                        {Role::LaunchAtLogin, u"Launch at Login"_s, true, launching},
                                        {Role::Quit, u"Quit"_s}};
        };
        m_item->setMenu(menu(u"Claude \u00B7 my_team 40%"_s, false, false));
        const QList<DBusMenuLayoutItem> shown = rows();
        const int refresh = shown.value(2).id, toggle = shown.value(3).id, quit = shown.value(4).id;
        QCOMPARE(shown.value(3).properties.value(u"toggle-type"_s), QVariant(u"checkmark"_s));
        QList<bool> toggles;
        connect(m_item.get(), &TrayItem::launchAtLoginRequested, this, [&toggles](bool on) { toggles.append(on); });
        event(toggle);

        // Same rows, new figures, Refresh disabled while it runs, the box
        // ticked: only what changed, and only once. The click above, acted on
        // after this, still means what the user saw: tick the box.
        m_item->setMenu(menu(u"Claude \u00B7 my_team 41%"_s, true, true));
        m_item->setMenu(menu(u"Claude \u00B7 my_team 41%"_s, true, true));
        event(refresh); // disabled entries ignore clicks
        // More figures above: the commands keep their ids, so a click sent
        // against the older layout still means what the user saw.
        m_item->setMenu(QList<TrayMenuEntry>{{Role::Figures, u"Codex \u00B7 Loading"_s, false}}
                        + menu(u"x"_s, false, true));
        QCOMPARE(rows().value(5).id, quit);
        event(toggle);
        event(quit);
        QTRY_COMPARE(m_asked, QStringList{u"quit"_s});
        QCOMPARE(toggles, (QList<bool>{true, false}));

        // The layout; the properties; the properties of the rows kept, then the layout: a host that
        // caches the menu (GNOME's) reads only types from a new layout, so kept rows would show stale.
        QTRY_COMPARE(m_signals.size(), 4);
        const auto updated = qdbus_cast<DBusMenuItemPropertiesList>(m_signals.at(1).arguments().value(0));
        QCOMPARE(updated.size(), 3);
        // Underscores would mark an access key: doubled, they show as typed.
        QCOMPARE(updated.at(0).properties, (QVariantMap{{u"label"_s, u"Claude \u00B7 my__team 41%"_s}}));
        QCOMPARE(updated.at(1).properties, (QVariantMap{{u"enabled"_s, false}}));
        QCOMPARE(updated.at(2).properties, (QVariantMap{{u"toggle-state"_s, 1}}));
        QCOMPARE(m_signals.at(2).member(), u"ItemsPropertiesUpdated"_s);
        const auto kept = qdbus_cast<DBusMenuItemPropertiesList>(m_signals.at(2).arguments().value(0));
        QCOMPARE(kept.value(0).properties.value(u"label"_s), QVariant(u"Codex · Loading"_s));
        QVERIFY(kept.size() == 2 && kept.at(1).id == refresh
                && kept.at(1).properties == (QVariantMap{{u"enabled"_s, true}})); // Refresh back on
        QCOMPARE(m_signals.at(3).member(), u"LayoutUpdated"_s);
        const uint revision = m_signals.at(3).arguments().value(0).toUInt();
        QVERIFY(revision > m_signals.at(0).arguments().value(0).toUInt());
        QCOMPARE(menuCall(u"GetLayout"_s, {0, -1, QStringList()}).arguments().value(0).toUInt(), revision);
    }
};

QTEST_MAIN(TestStatusNotifierItem)
#include "test_sni.moc"
