#include "platform/linux/DBusMenuExporter.h"

#include "dbusmenuadaptor.h"
#include "platform/linux/LinuxLogging.h"

#include <QDBusError>
#include <QMetaObject>
#include <QSet>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QString Clicked = u"clicked"_s;

template <typename T> QList<T> distinct(const QList<T> &values)
{
    QList<T> result;
    QSet<T> seen;
    for (const T &value : values) {
        if (!seen.contains(value)) {
            seen.insert(value);
            result.append(value);
        }
    }
    return result;
}

} // namespace

DBusMenuExporter::DBusMenuExporter(QDBusConnection bus, const QString &path, QObject *parent)
    : QObject(parent)
    , m_bus(std::move(bus))
    , m_path(path)
{
    registerDBusMenuTypes();
    new DBusMenuAdaptor(this);
    m_exported = m_bus.registerObject(m_path, this);
    if (!m_exported)
        qCWarning(lcDBus) << "could not export the menu at" << m_path << m_bus.lastError().message();
}

DBusMenuExporter::~DBusMenuExporter()
{
    if (m_exported)
        m_bus.unregisterObject(m_path);
}

QString DBusMenuExporter::textDirection() const
{
    return u"ltr"_s;
}

QString DBusMenuExporter::status() const
{
    return u"normal"_s;
}

void DBusMenuExporter::setEntries(const QList<DBusMenuEntry> &entries)
{
    const bool sameIds = std::equal(entries.cbegin(), entries.cend(), m_entries.cbegin(), m_entries.cend(),
                                    [](const DBusMenuEntry &a, const DBusMenuEntry &b) { return a.id == b.id; });
    if (!sameIds) {
        m_entries = entries;
        ++m_revision;
        Q_EMIT LayoutUpdated(m_revision, 0);
        return;
    }
    DBusMenuItemPropertiesList updated;
    DBusMenuItemKeysList removed;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QVariantMap &before = m_entries.at(i).properties;
        const QVariantMap &after = entries.at(i).properties;
        QVariantMap changed;
        for (auto it = after.cbegin(); it != after.cend(); ++it) {
            if (before.value(it.key()) != it.value())
                changed.insert(it.key(), it.value());
        }
        QStringList gone;
        for (auto it = before.cbegin(); it != before.cend(); ++it) {
            if (!after.contains(it.key()))
                gone.append(it.key());
        }
        if (!changed.isEmpty())
            updated.append(DBusMenuItemProperties{entries.at(i).id, changed});
        if (!gone.isEmpty())
            removed.append(DBusMenuItemKeys{entries.at(i).id, gone});
    }
    m_entries = entries;
    if (!updated.isEmpty() || !removed.isEmpty())
        Q_EMIT ItemsPropertiesUpdated(updated, removed);
}

bool DBusMenuExporter::contains(int id) const
{
    return id == 0
        || std::any_of(m_entries.cbegin(), m_entries.cend(), [id](const DBusMenuEntry &e) { return e.id == id; });
}

QVariantMap DBusMenuExporter::propertiesOf(int id, const QStringList &names) const
{
    QVariantMap all;
    if (id == 0) {
        all.insert(u"children-display"_s, u"submenu"_s);
    } else {
        const auto found
            = std::find_if(m_entries.cbegin(), m_entries.cend(), [id](const DBusMenuEntry &e) { return e.id == id; });
        if (found != m_entries.cend())
            all = found->properties;
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

void DBusMenuExporter::reject(const QString &message)
{
    if (calledFromDBus())
        sendErrorReply(QDBusError::InvalidArgs, message);
}

bool DBusMenuExporter::withinLimit(qsizetype count)
{
    if (count <= MaxIdsPerCall)
        return true;
    reject(u"At most %1 menu items per call"_s.arg(MaxIdsPerCall));
    return false;
}

std::optional<QStringList> DBusMenuExporter::wantedNames(const QStringList &names)
{
    QStringList wanted = distinct(names);
    if (wanted.size() <= MaxNamesPerCall)
        return wanted;
    reject(u"At most %1 property names per call"_s.arg(MaxNamesPerCall));
    return std::nullopt;
}

uint DBusMenuExporter::GetLayout(int parentId, int recursionDepth, const QStringList &names, DBusMenuLayoutItem &layout)
{
    const std::optional<QStringList> propertyNames = wantedNames(names);
    if (!propertyNames)
        return m_revision;
    if (!contains(parentId)) {
        reject(u"No menu item with id %1"_s.arg(parentId));
        return m_revision;
    }
    layout.id = parentId;
    layout.properties = propertiesOf(parentId, *propertyNames);
    layout.children.clear();
    if (parentId == 0 && recursionDepth != 0) {
        for (const DBusMenuEntry &entry : std::as_const(m_entries))
            layout.children.append(DBusMenuLayoutItem{entry.id, propertiesOf(entry.id, *propertyNames), {}});
    }
    return m_revision;
}

DBusMenuItemPropertiesList DBusMenuExporter::GetGroupProperties(const QList<int> &ids, const QStringList &names)
{
    const std::optional<QStringList> wanted = wantedNames(names);
    if (!wanted)
        return {};
    const QStringList &propertyNames = *wanted;
    DBusMenuItemPropertiesList result;
    if (ids.isEmpty()) { // all of them
        result.append(DBusMenuItemProperties{0, propertiesOf(0, propertyNames)});
        for (const DBusMenuEntry &entry : std::as_const(m_entries))
            result.append(DBusMenuItemProperties{entry.id, propertiesOf(entry.id, propertyNames)});
        return result;
    }
    const QList<int> wantedIds = distinct(ids);
    if (!withinLimit(wantedIds.size()))
        return {};
    for (int id : wantedIds) {
        if (contains(id))
            result.append(DBusMenuItemProperties{id, propertiesOf(id, propertyNames)});
    }
    if (result.isEmpty())
        reject(u"None of the menu items exists"_s);
    return result;
}

QDBusVariant DBusMenuExporter::GetProperty(int id, const QString &name)
{
    const QVariantMap properties = propertiesOf(id, {name});
    if (!contains(id) || !properties.contains(name)) {
        reject(u"No property \"%1\" on menu item %2"_s.arg(name).arg(id));
        return QDBusVariant(QVariant(0));
    }
    return QDBusVariant(properties.value(name));
}

void DBusMenuExporter::Event(int id, const QString &eventId, const QDBusVariant &, uint)
{
    if (id == 0 || !contains(id)) {
        reject(u"No menu item with id %1"_s.arg(id));
        return;
    }
    if (eventId == Clicked)
        handleClick(id);
}

QList<int> DBusMenuExporter::EventGroup(const DBusMenuEventList &events)
{
    // One click per item, however often a call repeats it.
    QList<int> clickedIds, unknown;
    QSet<int> seen;
    for (const DBusMenuEvent &event : events) {
        if (seen.contains(event.id))
            continue;
        seen.insert(event.id);
        if (!withinLimit(seen.size()))
            return {};
        if (event.id == 0 || !contains(event.id))
            unknown.append(event.id);
        else if (event.eventId == Clicked)
            clickedIds.append(event.id);
    }
    // The protocol's answer: the ids not found, and an error when none was.
    if (!events.isEmpty() && unknown.size() == seen.size()) {
        reject(u"None of the menu items exists"_s);
        return unknown;
    }
    for (int id : std::as_const(clickedIds))
        handleClick(id);
    return unknown;
}

bool DBusMenuExporter::AboutToShow(int id)
{
    if (!contains(id)) {
        reject(u"No menu item with id %1"_s.arg(id));
        return false;
    }
    if (id == 0)
        Q_EMIT aboutToShow();
    return false; // changes are announced as they happen
}

QList<int> DBusMenuExporter::AboutToShowGroup(const QList<int> &ids, QList<int> &idErrors)
{
    idErrors.clear();
    const QList<int> wanted = distinct(ids);
    if (!withinLimit(wanted.size()))
        return {};
    for (int id : wanted) {
        if (!contains(id))
            idErrors.append(id);
    }
    if (!wanted.isEmpty() && idErrors.size() == wanted.size())
        reject(u"None of the menu items exists"_s);
    else if (wanted.contains(0))
        Q_EMIT aboutToShow();
    return {};
}

void DBusMenuExporter::handleClick(int id)
{
    const QVariantMap properties = propertiesOf(id, {});
    if (properties.value(u"type"_s).toString() == u"separator"_s || !properties.value(u"enabled"_s, true).toBool())
        return;
    // Acting inside the call (Quit above all) would leave the caller waiting.
    // The toggle state is taken now: the menu may change before the click is acted on.
    const bool checked = properties.value(u"toggle-state"_s).toInt() == 1;
    QMetaObject::invokeMethod(
        this, [this, id, checked] { Q_EMIT clicked(id, checked); }, Qt::QueuedConnection);
}
