#include "platform/linux/DBusMenuExporter.h"

#include "platform/linux/DBusMenuAdaptor.h"

#include <QDBusError>
#include <QMetaObject>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {
constexpr uint LayoutRevision = 1; // the menu never changes
}

DBusMenuExporter::DBusMenuExporter(QDBusConnection bus, const QString &path, QList<Entry> entries, QObject *parent)
    : QObject(parent)
    , m_bus(std::move(bus))
    , m_path(path)
    , m_entries(std::move(entries))
{
    registerDBusMenuTypes();
    new DBusMenuAdaptor(this);
    m_exported = m_bus.registerObject(m_path, this);
}

DBusMenuExporter::~DBusMenuExporter()
{
    if (m_exported)
        m_bus.unregisterObject(m_path);
}

bool DBusMenuExporter::contains(int id) const
{
    return id == 0 || std::any_of(m_entries.cbegin(), m_entries.cend(), [id](const Entry &e) { return e.id == id; });
}

QVariantMap DBusMenuExporter::propertiesOf(int id, const QStringList &names) const
{
    QVariantMap all;
    if (id == 0) {
        all.insert(u"children-display"_s, u"submenu"_s);
    } else {
        for (const Entry &entry : m_entries) {
            if (entry.id != id)
                continue;
            if (entry.isSeparator) {
                all.insert(u"type"_s, u"separator"_s);
            } else {
                all.insert(u"label"_s, entry.label);
                all.insert(u"enabled"_s, true);
            }
            all.insert(u"visible"_s, true);
        }
    }
    if (names.isEmpty())
        return all;
    QVariantMap chosen;
    for (const QString &name : names) {
        if (all.contains(name))
            chosen.insert(name, all.value(name));
    }
    return chosen;
}

void DBusMenuExporter::rejectUnknown(int id)
{
    if (calledFromDBus())
        sendErrorReply(QDBusError::InvalidArgs, u"No menu item with id %1"_s.arg(id));
}

uint DBusMenuExporter::layout(int parentId, int recursionDepth, const QStringList &propertyNames,
                              DBusMenuLayoutItem &item)
{
    if (!contains(parentId)) {
        rejectUnknown(parentId);
        return LayoutRevision;
    }
    item.id = parentId;
    item.properties = propertiesOf(parentId, propertyNames);
    item.children.clear();
    if (parentId == 0 && recursionDepth != 0) {
        for (const Entry &entry : std::as_const(m_entries))
            item.children.append(DBusMenuLayoutItem{entry.id, propertiesOf(entry.id, propertyNames), {}});
    }
    return LayoutRevision;
}

DBusMenuItemPropertiesList DBusMenuExporter::groupProperties(const QList<int> &ids,
                                                             const QStringList &propertyNames) const
{
    DBusMenuItemPropertiesList result;
    for (int id : ids) {
        if (contains(id))
            result.append(DBusMenuItemProperties{id, propertiesOf(id, propertyNames)});
    }
    return result;
}

QDBusVariant DBusMenuExporter::itemProperty(int id, const QString &name)
{
    const QVariantMap properties = propertiesOf(id, {name});
    if (!contains(id) || !properties.contains(name)) {
        rejectUnknown(id);
        return QDBusVariant(QVariant(0));
    }
    return QDBusVariant(properties.value(name));
}

void DBusMenuExporter::handleEvent(int id, const QString &eventId)
{
    if (eventId != u"clicked"_s || id == 0 || !contains(id))
        return;
    // Acting inside the call (Quit above all) would leave the caller waiting.
    QMetaObject::invokeMethod(this, [this, id] { Q_EMIT triggered(id); }, Qt::QueuedConnection);
}

QList<int> DBusMenuExporter::eventGroup(const DBusMenuEventList &events)
{
    QList<int> unknown;
    for (const DBusMenuEvent &e : events) {
        if (contains(e.id))
            handleEvent(e.id, e.eventId);
        else
            unknown.append(e.id);
    }
    return unknown;
}
