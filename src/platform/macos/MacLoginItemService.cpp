#include "platform/macos/MacLoginItemService.h"

using namespace Qt::StringLiterals;

std::optional<QString> MacLoginItemService::registerItem()
{
    return u"login items are not supported by this build"_s;
}

std::optional<QString> MacLoginItemService::unregisterItem()
{
    return std::nullopt; // never registered
}
