#pragma once

#include "platform/linux/DBusMenuTypes.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>

// A small flat menu published as com.canonical.dbusmenu, for the tray hosts
// that open the item's menu on a click instead of activating it.
class DBusMenuExporter : public QObject, protected QDBusContext
{
    Q_OBJECT
public:
    struct Entry
    {
        int id = 0; // above 0; 0 is the root
        QString label;
        bool isSeparator = false;
    };

    // Exports the menu at path on bus; see isExported().
    DBusMenuExporter(QDBusConnection bus, const QString &path, QList<Entry> entries, QObject *parent = nullptr);
    ~DBusMenuExporter() override;

    bool isExported() const { return m_exported; }

    // What the adaptor answers.
    uint layout(int parentId, int recursionDepth, const QStringList &propertyNames, DBusMenuLayoutItem &item);
    DBusMenuItemPropertiesList groupProperties(const QList<int> &ids, const QStringList &propertyNames) const;
    QDBusVariant itemProperty(int id, const QString &name);
    void handleEvent(int id, const QString &eventId);
    QList<int> eventGroup(const DBusMenuEventList &events);

Q_SIGNALS:
    // From the event loop, after the D-Bus call has been answered.
    void triggered(int id);

private:
    bool contains(int id) const;
    QVariantMap propertiesOf(int id, const QStringList &names) const;
    void rejectUnknown(int id);

    QDBusConnection m_bus;
    QString m_path;
    QList<Entry> m_entries;
    bool m_exported = false;
};
