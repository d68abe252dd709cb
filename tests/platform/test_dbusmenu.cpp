// The item's com.canonical.dbusmenu as each tray host drives it, on a private
// session bus: every method with well-formed and malformed arguments, and the
// signals that keep an open menu current.
#include "platform/linux/DBusMenuExporter.h"
#include "platform/linux/StatusNotifierItem.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QSignalSpy>
#include <QTest>

#include <climits>

using namespace Qt::StringLiterals;

namespace {

const QString MenuInterface = u"com.canonical.dbusmenu"_s;
const QString InvalidArgs = u"org.freedesktop.DBus.Error.InvalidArgs"_s;

QVariant events(const QList<std::pair<int, QString>> &list)
{
    DBusMenuEventList result;
    for (const auto &[id, eventId] : list)
        result.append(DBusMenuEvent{id, eventId, QDBusVariant(QString()), 0});
    return QVariant::fromValue(result);
}

template <typename T> T demarshal(const QVariant &value)
{
    T result;
    value.value<QDBusArgument>() >> result;
    return result;
}

} // namespace

class TestDBusMenu : public QObject
{
    Q_OBJECT

    // The host speaks on a connection of its own, as a panel would.
    QDBusConnection m_host = QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"host"_s);
    std::unique_ptr<StatusNotifierItem> m_item;
    QStringList m_asked;
    QList<QDBusMessage> m_signals;

public Q_SLOTS:
    void onSignal(const QDBusMessage &message) { m_signals.append(message); }

private:
    // The menu answers from this thread's event loop, so a blocking call would stall.
    QDBusMessage call(const QString &service, const QString &path, const QString &method, const QVariantList &args)
    {
        QDBusMessage message = QDBusMessage::createMethodCall(service, path, MenuInterface, method);
        message.setArguments(args);
        QDBusPendingCall pending = m_host.asyncCall(message);
        return QTest::qWaitFor([&pending] { return pending.isFinished(); }) ? pending.reply() : QDBusMessage();
    }
    QDBusMessage menuCall(const QString &method, const QVariantList &args)
    {
        return call(m_item->serviceName(), QString(StatusNotifierItem::MenuPath), method, args);
    }
    int idOf(const QString &label)
    {
        const auto root
            = demarshal<DBusMenuLayoutItem>(menuCall(u"GetLayout"_s, {0, -1, QStringList()}).arguments().value(1));
        for (const DBusMenuLayoutItem &child : root.children) {
            if (child.properties.value(u"label"_s).toString() == label)
                return child.id;
        }
        return -1;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_host.isConnected(), "needs a session bus: run under dbus-run-session");
        registerDBusMenuTypes();
    }
    void init()
    {
        m_asked.clear();
        m_signals.clear();
        m_item = std::make_unique<StatusNotifierItem>(QDBusConnection::sessionBus());
        QVERIFY(m_item->isPublished());
        for (const auto &[signal, name] : {std::pair{&TrayItem::showRequested, "show"},
                                           {&TrayItem::refreshRequested, "refresh"},
                                           {&TrayItem::quitRequested, "quit"}})
            connect(m_item.get(), signal, this, [this, name] { m_asked.append(QString::fromLatin1(name)); });
    }
    void cleanup() { m_item.reset(); }

    void everyMethodAsAHostCallsIt()
    {
        const QDBusMessage layout = menuCall(u"GetLayout"_s, {0, -1, QStringList{u"label"_s}});
        QCOMPARE(layout.type(), QDBusMessage::ReplyMessage);
        const int refresh = idOf(u"Refresh"_s), quit = idOf(u"Quit"_s);
        QVERIFY(refresh > 0 && quit > 0);

        const auto groups = demarshal<DBusMenuItemPropertiesList>(
            menuCall(u"GetGroupProperties"_s, {QVariant::fromValue(QList<int>{quit}), QStringList()})
                .arguments()
                .value(0));
        QCOMPARE(groups.size(), 1);
        QCOMPARE(groups.constFirst().properties.value(u"label"_s).toString(), u"Quit"_s);
        QCOMPARE(groups.constFirst().properties.value(u"enabled"_s).toBool(), true);
        QCOMPARE(menuCall(u"GetProperty"_s, {quit, u"label"_s}).arguments().value(0).value<QDBusVariant>().variant(),
                 QVariant(u"Quit"_s));

        const QDBusMessage shown = menuCall(u"AboutToShow"_s, {0});
        QCOMPARE(shown.type(), QDBusMessage::ReplyMessage);
        QCOMPARE(shown.arguments().value(0).toBool(), false);
        const QDBusMessage shownGroup = menuCall(u"AboutToShowGroup"_s, {QVariant::fromValue(QList<int>{0, quit})});
        QCOMPARE(shownGroup.type(), QDBusMessage::ReplyMessage);
        QCOMPARE(shownGroup.arguments().size(), 2);

        // Plasma and GNOME click with Event, XFCE and waybar with EventGroup.
        const QVariant data = QVariant::fromValue(QDBusVariant(0));
        QCOMPARE(menuCall(u"Event"_s, {refresh, u"clicked"_s, data, 0u}).type(), QDBusMessage::ReplyMessage);
        QTRY_COMPARE(m_asked, QStringList{u"refresh"_s});
        menuCall(u"Event"_s, {refresh, u"hovered"_s, data, 0u});
        const QDBusMessage group = menuCall(u"EventGroup"_s, {events({{refresh, u"clicked"_s}})});
        QCOMPARE(group.type(), QDBusMessage::ReplyMessage);
        QCOMPARE(qdbus_cast<QList<int>>(group.arguments().value(0)), QList<int>());
        menuCall(u"EventGroup"_s, {events({{quit, u"clicked"_s}})});
        QTRY_COMPARE(m_asked, (QStringList{u"refresh"_s, u"refresh"_s, u"quit"_s}));
    }

    void malformedCallsAreRefusedOrBounded()
    {
        const int quit = idOf(u"Quit"_s), refresh = idOf(u"Refresh"_s);
        const QVariant data = QVariant::fromValue(QDBusVariant(0));
        for (const auto &[method, args] :
             {std::pair{u"GetLayout"_s, QVariantList{999, -1, QStringList()}},
              {u"GetProperty"_s, QVariantList{999, u"label"_s}},
              {u"GetProperty"_s, QVariantList{quit, u"no-such-property"_s}},
              {u"Event"_s, QVariantList{999, u"clicked"_s, data, 0u}},
              {u"Event"_s, QVariantList{INT_MIN, u"clicked"_s, data, 0u}},
              {u"AboutToShow"_s, QVariantList{-7}},
              {u"AboutToShowGroup"_s, QVariantList{QVariant::fromValue(QList<int>{998, 999})}},
              {u"GetGroupProperties"_s, QVariantList{QVariant::fromValue(QList<int>{998, 999}), QStringList()}},
              {u"EventGroup"_s, QVariantList{events({{998, u"clicked"_s}, {999, u"clicked"_s}})}}}) {
            const QDBusMessage reply = menuCall(method, args);
            QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
            QCOMPARE(reply.errorName(), InvalidArgs);
        }

        // Some unknown among known: the protocol answers with the unknown ones.
        const QDBusMessage mixed = menuCall(u"EventGroup"_s, {events({{999, u"clicked"_s}, {refresh, u"clicked"_s}})});
        QCOMPARE(qdbus_cast<QList<int>>(mixed.arguments().value(0)), QList<int>{999});
        const QDBusMessage showMixed = menuCall(u"AboutToShowGroup"_s, {QVariant::fromValue(QList<int>{quit, 999})});
        QCOMPARE(qdbus_cast<QList<int>>(showMixed.arguments().value(1)), QList<int>{999});

        // Duplicates collapse: one click, one answer per id.
        QList<std::pair<int, QString>> repeated(50'000, {quit, u"clicked"_s});
        QCOMPARE(menuCall(u"EventGroup"_s, {events(repeated)}).type(), QDBusMessage::ReplyMessage);
        const auto same = demarshal<DBusMenuItemPropertiesList>(
            menuCall(u"GetGroupProperties"_s, {QVariant::fromValue(QList<int>(50'000, quit)), QStringList()})
                .arguments()
                .value(0));
        QCOMPARE(same.size(), 1);

        // Too many distinct ids: refused before any work.
        QList<int> many;
        QList<std::pair<int, QString>> manyEvents;
        for (int i = 0; i <= DBusMenuExporter::MaxIdsPerCall; ++i) {
            many.append(i == 0 ? quit : 10'000 + i);
            manyEvents.append({i == 0 ? quit : 10'000 + i, u"clicked"_s});
        }
        for (const auto &[method, args] :
             {std::pair{u"GetGroupProperties"_s, QVariantList{QVariant::fromValue(many), QStringList()}},
              {u"AboutToShowGroup"_s, QVariantList{QVariant::fromValue(many)}},
              {u"EventGroup"_s, QVariantList{events(manyEvents)}}})
            QCOMPARE(menuCall(method, args).errorName(), InvalidArgs);

        QTest::qWait(50);
        QCOMPARE(m_asked, (QStringList{u"refresh"_s, u"quit"_s}));
    }

    void theItemsMenuFollowsItsRows()
    {
        using Role = TrayMenuEntry::Role;
        const auto menu = [](const QString &figures, bool checked) {
            return QList<TrayMenuEntry>{{Role::Figures, figures, false},
                                        {Role::Separator},
                                        {Role::LaunchAtLogin, u"Launch at Login"_s, true, checked},
                                        {Role::Quit, u"Quit"_s}};
        };
        m_item->setMenu(menu(u"Claude \u00B7 my_team 40%"_s, false));
        const int quit = idOf(u"Quit"_s), toggle = idOf(u"Launch at Login"_s);
        const auto root
            = demarshal<DBusMenuLayoutItem>(menuCall(u"GetLayout"_s, {0, -1, QStringList()}).arguments().value(1));
        QCOMPARE(root.children.size(), 4);
        // Underscores would mark an access key: doubled, they show as typed.
        QCOMPARE(root.children.at(0).properties.value(u"label"_s).toString(), u"Claude \u00B7 my__team 40%"_s);
        QCOMPARE(root.children.at(0).properties.value(u"enabled"_s).toBool(), false);
        QCOMPARE(root.children.at(2).properties.value(u"toggle-type"_s).toString(), u"checkmark"_s);
        QCOMPARE(root.children.at(2).properties.value(u"toggle-state"_s).toInt(), 0);

        QList<bool> toggles;
        connect(m_item.get(), &TrayItem::launchAtLoginRequested, this, [&toggles](bool on) { toggles.append(on); });
        QSignalSpy aboutToShow(m_item.get(), &TrayItem::menuAboutToShow);
        const QVariant data = QVariant::fromValue(QDBusVariant(0));
        menuCall(u"AboutToShow"_s, {0});
        QCOMPARE(aboutToShow.size(), 1);
        menuCall(u"Event"_s, {toggle, u"clicked"_s, data, 0u});
        menuCall(u"Event"_s, {root.children.at(0).id, u"clicked"_s, data, 0u}); // figures do nothing
        QTRY_COMPARE(toggles, QList<bool>{true});

        // More figures above: the commands keep their ids, so a click sent
        // against the older layout still means what the user saw.
        m_item->setMenu(QList<TrayMenuEntry>{{Role::Figures, u"Codex \u00B7 Loading"_s, false}} + menu(u"x"_s, true));
        QCOMPARE(idOf(u"Quit"_s), quit);
        menuCall(u"Event"_s, {toggle, u"clicked"_s, data, 0u});
        menuCall(u"EventGroup"_s, {events({{quit, u"clicked"_s}})});
        QTRY_COMPARE(m_asked, QStringList{u"quit"_s});
        QCOMPARE(toggles, (QList<bool>{true, false}));
    }

    void changesReachAnOpenMenu()
    {
        const QString path = u"/TestMenu"_s;
        DBusMenuExporter menu(QDBusConnection::sessionBus(), path);
        QVERIFY(menu.isExported());
        const QString service = QDBusConnection::sessionBus().baseService();
        for (const QString &name : {u"LayoutUpdated"_s, u"ItemsPropertiesUpdated"_s})
            QVERIFY(m_host.connect(service, path, MenuInterface, name, this, SLOT(onSignal(QDBusMessage))));

        const auto row = [](int id, const QString &label, bool enabled) {
            return DBusMenuEntry{id, {{u"label"_s, label}, {u"enabled"_s, enabled}}};
        };
        menu.setEntries({row(1, u"Claude 40%"_s, false), row(2, u"Refresh"_s, true)});
        QTRY_COMPARE(m_signals.size(), 1);
        QCOMPARE(m_signals.at(0).member(), u"LayoutUpdated"_s);
        const uint revision = m_signals.at(0).arguments().value(0).toUInt();
        QCOMPARE(call(service, path, u"GetLayout"_s, {0, -1, QStringList()}).arguments().value(0).toUInt(), revision);

        // Same items, new figures and a disabled button: only what changed.
        menu.setEntries({row(1, u"Claude 41%"_s, false), row(2, u"Refresh"_s, false)});
        QTRY_COMPARE(m_signals.size(), 2);
        QCOMPARE(m_signals.at(1).member(), u"ItemsPropertiesUpdated"_s);
        const auto updated = demarshal<DBusMenuItemPropertiesList>(m_signals.at(1).arguments().value(0));
        QCOMPARE(updated.size(), 2);
        QCOMPARE(updated.at(0).properties, (QVariantMap{{u"label"_s, u"Claude 41%"_s}}));
        QCOMPARE(updated.at(1).properties, (QVariantMap{{u"enabled"_s, false}}));
        // A disabled entry ignores clicks.
        QSignalSpy clicks(&menu, &DBusMenuExporter::clicked);
        call(service, path, u"Event"_s, {2, u"clicked"_s, QVariant::fromValue(QDBusVariant(0)), 0u});

        menu.setEntries({row(1, u"Claude 41%"_s, false), row(2, u"Refresh"_s, false)}); // nothing new
        menu.setEntries({row(1, u"Claude 41%"_s, false)});
        QTRY_COMPARE(m_signals.size(), 3);
        QCOMPARE(m_signals.at(2).member(), u"LayoutUpdated"_s);
        QVERIFY(m_signals.at(2).arguments().value(0).toUInt() > revision);
        QCOMPARE(clicks.size(), 0);
    }
};

QTEST_MAIN(TestDBusMenu)
#include "test_dbusmenu.moc"
