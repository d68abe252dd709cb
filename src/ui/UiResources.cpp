#include "ui/UiResources.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <QtGlobal>

using namespace Qt::StringLiterals;

// Q_INIT_RESOURCE must not sit inside a namespace.
static void registerResources()
{
    Q_INIT_RESOURCE(resources);
}

void initUiResources()
{
    static const bool registered = (registerResources(), true);
    Q_UNUSED(registered);
}

QString iconResourcePath(const QString &iconName)
{
    return u":/icons/"_s + iconName + u".svg"_s;
}

QIcon applicationIcon()
{
    initUiResources();
    QSvgRenderer renderer(iconResourcePath(u"quotix"_s));
    QIcon icon;
    if (!renderer.isValid())
        return icon;
    // The sizes window managers and task bars ask for.
    for (const int size : {16, 22, 24, 32, 48, 64, 128}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
