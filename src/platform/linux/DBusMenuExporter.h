#pragma once

#include "platform/linux/DBusMenuTypes.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>

#include <optional>

// One entry of a flat menu: an id above 0 (0 is the root) and its dbusmenu
// properties ("label", "enabled", "type", "toggle-state", ...).
struct DBusMenuEntry
{
    int id = 0;
    QVariantMap properties;
};

// A flat menu published as com.canonical.dbusmenu, for the tray hosts that
// draw the item's menu themselves. The adaptor generated from
// com.canonical.dbusmenu.xml calls the methods named as the interface's;
// changes reach open menus through LayoutUpdated and ItemsPropertiesUpdated.
class DBusMenuExporter : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_PROPERTY(uint Version READ version CONSTANT)
    Q_PROPERTY(QString TextDirection READ textDirection CONSTANT)
    Q_PROPERTY(QString Status READ status CONSTANT)
    Q_PROPERTY(QStringList IconThemePath READ iconThemePath CONSTANT)

public:
    // More distinct ids or events in one call are refused: the menu is small
    // and a host never sends that many.
    static constexpr int MaxIdsPerCall = 256;
    // The same for distinct property names: an item has a handful.
    static constexpr int MaxNamesPerCall = 64;

    // Exports the menu at path on bus; see isExported().
    DBusMenuExporter(QDBusConnection bus, const QString &path, QObject *parent = nullptr);
    ~DBusMenuExporter() override;

    bool isExported() const { return m_exported; }
    uint revision() const { return m_revision; }

    // Replaces the menu and tells the hosts what changed: a new revision when
    // the ids changed, else the changed properties.
    void setEntries(const QList<DBusMenuEntry> &entries);

    uint version() const { return 3; }
    QString textDirection() const;
    QString status() const;
    QStringList iconThemePath() const { return {}; }

    // The interface's methods, as the adaptor forwards them.
    uint GetLayout(int parentId, int recursionDepth, const QStringList &propertyNames, DBusMenuLayoutItem &layout);
    DBusMenuItemPropertiesList GetGroupProperties(const QList<int> &ids, const QStringList &propertyNames);
    QDBusVariant GetProperty(int id, const QString &name);
    void Event(int id, const QString &eventId, const QDBusVariant &data, uint timestamp);
    QList<int> EventGroup(const DBusMenuEventList &events);
    bool AboutToShow(int id);
    QList<int> AboutToShowGroup(const QList<int> &ids, QList<int> &idErrors);

Q_SIGNALS:
    // Relayed to the bus by the adaptor.
    void LayoutUpdated(uint revision, int parent);
    void ItemsPropertiesUpdated(const DBusMenuItemPropertiesList &updatedProps,
                                const DBusMenuItemKeysList &removedProps);
    void ItemActivationRequested(int id, uint timestamp);

    // A click on an enabled entry, from the event loop after the call was
    // answered; checked is the toggle state the user saw when clicking.
    void clicked(int id, bool checked);
    // A host is about to open the menu: a last chance to update it.
    void aboutToShow();

private:
    bool contains(int id) const;
    QVariantMap propertiesOf(int id, const QStringList &names) const;
    void handleClick(int id);
    // False, with an error reply sent, when ids hold more distinct values than allowed.
    bool withinLimit(qsizetype distinct);
    void reject(const QString &message);
    // The distinct names, or absent, with an error reply sent, when too many.
    std::optional<QStringList> wantedNames(const QStringList &names);

    QDBusConnection m_bus;
    QString m_path;
    QList<DBusMenuEntry> m_entries;
    uint m_revision = 1;
    bool m_exported = false;
};
