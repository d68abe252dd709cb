#include "core/os/PlatformServices.h"

#include "platform/macos/MacLoginItemService.h"
#include "platform/macos/MacTrayHost.h"
#include "platform/macos/MacUptime.h"

namespace {

// Until the UserNotifications bridge exists alerts are dropped, as they are
// when the user has not granted permission.
class DroppedNotifications : public NotificationManager
{
public:
    void sendNotification(const QString &, const QString &) override {}
};

} // namespace

PlatformServices makePlatformServices()
{
    PlatformServices services;
    services.notifications = std::make_unique<DroppedNotifications>();
    services.loginItems = std::make_unique<MacLoginItemService>();
    services.uptime = std::make_unique<MacUptime>();
    services.wakeMonitor = std::make_unique<WakeMonitor>(); // the workspace wake bridge is still to come
    return services;
}

DesktopTraits desktopTraits()
{
    return {}; // one desktop, nothing to tell apart
}

void askWindowManagerToPlace(const DesktopTraits &, quintptr, QPoint) {}

void askWindowManagerForFreeArea(const DesktopTraits &, QRect, std::function<void(std::optional<QRect>)> answered)
{
    answered(std::nullopt);
}

std::unique_ptr<TrayHost> makeTrayHost(const DesktopTraits &)
{
    return std::make_unique<MacTrayHost>();
}

std::optional<QString> missingDisplayReason()
{
    return std::nullopt; // the window server is always there for a logged-in user
}
