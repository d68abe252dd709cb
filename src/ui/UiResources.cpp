#include "ui/UiResources.h"

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
