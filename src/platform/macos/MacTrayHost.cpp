#include "platform/macos/MacTrayHost.h"

#include "ui/SystemTrayItem.h"

using namespace Qt::StringLiterals;

std::unique_ptr<TrayItem> MacTrayHost::createItem()
{
    return std::make_unique<SystemTrayItem>();
}

QString MacTrayHost::missingHostMessage() const
{
    return u"Quotix: the menu bar is not available."_s;
}
