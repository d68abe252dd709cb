#include "PlatformServices.h"

#include "BootClockUptime.h"
#include "FreedesktopNotifications.h"
#include "LinuxTrayHost.h"
#include "LogindWakeMonitor.h"
#include "XdgAutostartService.h"

#include <QCoreApplication>
#include <QDBusConnection>

PlatformServices makePlatformServices()
{
    PlatformServices services;
    services.notifications = std::make_unique<FreedesktopNotifications>(QDBusConnection::sessionBus());
    services.loginItems = std::make_unique<XdgAutostartService>(XdgAutostartService::defaultFolder(),
                                                                QCoreApplication::applicationFilePath());
    services.uptime = std::make_unique<BootClockUptime>();
    services.wakeMonitor = std::make_unique<LogindWakeMonitor>(QDBusConnection::systemBus());
    return services;
}

std::unique_ptr<TrayHost> makeTrayHost()
{
    return std::make_unique<LinuxTrayHost>(QDBusConnection::sessionBus());
}
