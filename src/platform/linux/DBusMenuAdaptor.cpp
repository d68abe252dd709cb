#include "platform/linux/DBusMenuAdaptor.h"

#include "platform/linux/DBusMenuExporter.h"

using namespace Qt::StringLiterals;

DBusMenuAdaptor::DBusMenuAdaptor(DBusMenuExporter *exporter)
    : QDBusAbstractAdaptor(exporter)
    , m_exporter(exporter)
{
}

QString DBusMenuAdaptor::textDirection() const
{
    return u"ltr"_s;
}

QString DBusMenuAdaptor::status() const
{
    return u"normal"_s;
}

uint DBusMenuAdaptor::GetLayout(int parentId, int recursionDepth, const QStringList &propertyNames,
                                DBusMenuLayoutItem &layout)
{
    return m_exporter->layout(parentId, recursionDepth, propertyNames, layout);
}

DBusMenuItemPropertiesList DBusMenuAdaptor::GetGroupProperties(const QList<int> &ids,
                                                               const QStringList &propertyNames)
{
    return m_exporter->groupProperties(ids, propertyNames);
}

QDBusVariant DBusMenuAdaptor::GetProperty(int id, const QString &name)
{
    return m_exporter->itemProperty(id, name);
}

void DBusMenuAdaptor::Event(int id, const QString &eventId, const QDBusVariant &, uint)
{
    m_exporter->handleEvent(id, eventId);
}

QList<int> DBusMenuAdaptor::EventGroup(const DBusMenuEventList &events)
{
    return m_exporter->eventGroup(events);
}

bool DBusMenuAdaptor::AboutToShow(int)
{
    return false; // the menu never changes: nothing to update
}

QList<int> DBusMenuAdaptor::AboutToShowGroup(const QList<int> &, QList<int> &idErrors)
{
    idErrors.clear();
    return {};
}
