#include "platform/linux/StatusNotifierItemAdaptor.h"

#include "platform/linux/StatusNotifierItem.h"

using namespace Qt::StringLiterals;

StatusNotifierItemAdaptor::StatusNotifierItemAdaptor(StatusNotifierItem *item)
    : QDBusAbstractAdaptor(item)
    , m_item(item)
{
}

QString StatusNotifierItemAdaptor::category() const
{
    return u"ApplicationStatus"_s;
}

QString StatusNotifierItemAdaptor::id() const
{
    return u"quotix"_s;
}

QString StatusNotifierItemAdaptor::title() const
{
    return u"Quotix"_s;
}

QString StatusNotifierItemAdaptor::status() const
{
    return u"Active"_s;
}

QString StatusNotifierItemAdaptor::iconName() const
{
    // Hosts prefer the name over the pixmap when both are set; the pixmap
    // carries the numbers, so no name.
    return {};
}

SniIconPixmapList StatusNotifierItemAdaptor::iconPixmap() const
{
    return m_item->iconPixmap();
}

SniToolTip StatusNotifierItemAdaptor::toolTip() const
{
    return m_item->toolTip();
}

QDBusObjectPath StatusNotifierItemAdaptor::menu() const
{
    return QDBusObjectPath(QString(StatusNotifierItem::MenuPath));
}

QString StatusNotifierItemAdaptor::label() const
{
    return m_item->label();
}

QString StatusNotifierItemAdaptor::labelGuide() const
{
    return m_item->labelGuide();
}

void StatusNotifierItemAdaptor::Activate(int x, int y)
{
    m_item->activate(x, y);
}

void StatusNotifierItemAdaptor::SecondaryActivate(int, int)
{
}

void StatusNotifierItemAdaptor::ContextMenu(int, int)
{
    // Hosts draw the exported menu themselves.
}

void StatusNotifierItemAdaptor::Scroll(int, const QString &)
{
}
