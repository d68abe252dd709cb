#pragma once

#include <QByteArray>
#include <QDBusArgument>
#include <QList>
#include <QMetaType>
#include <QString>

class QImage;

// One icon size as a StatusNotifierItem host reads it: (iiay), the bytes
// ARGB32 with every pixel in network byte order.
struct SniIconPixmap
{
    int width = 0;
    int height = 0;
    QByteArray bytes;
};
using SniIconPixmapList = QList<SniIconPixmap>;

// (sa(iiay)ss): icon name, icon, title, text.
struct SniToolTip
{
    QString iconName;
    SniIconPixmapList icon;
    QString title;
    QString text;
};

Q_DECLARE_METATYPE(SniIconPixmap)
Q_DECLARE_METATYPE(SniToolTip)

QDBusArgument &operator<<(QDBusArgument &argument, const SniIconPixmap &pixmap);
const QDBusArgument &operator>>(const QDBusArgument &argument, SniIconPixmap &pixmap);
QDBusArgument &operator<<(QDBusArgument &argument, const SniToolTip &toolTip);
const QDBusArgument &operator>>(const QDBusArgument &argument, SniToolTip &toolTip);

// Before any object that uses these types is exported.
void registerStatusNotifierTypes();

SniIconPixmap sniIconPixmap(const QImage &image);
