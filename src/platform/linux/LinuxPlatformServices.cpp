#include "core/os/PlatformServices.h"

#include "launcher/Launcher.h"
#include "platform/linux/BootClockUptime.h"
#include "platform/linux/FreedesktopNotifications.h"
#include "platform/linux/LinuxTrayHost.h"
#include "platform/linux/LogindWakeMonitor.h"
#include "platform/linux/XdgAutostartService.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QFileInfo>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

PlatformServices makePlatformServices()
{
    PlatformServices services;
    services.notifications = std::make_unique<FreedesktopNotifications>(QDBusConnection::sessionBus());
    // The desktop should start the launcher the user started, not quotix-gui behind it.
    const QString launcher = qEnvironmentVariable(LauncherPathVariable);
    services.loginItems = std::make_unique<XdgAutostartService>(
        XdgAutostartService::defaultFolder(), launcher.isEmpty() ? QCoreApplication::applicationFilePath() : launcher);
    services.uptime = std::make_unique<BootClockUptime>();
    services.wakeMonitor = std::make_unique<LogindWakeMonitor>(QDBusConnection::systemBus());
    return services;
}

std::unique_ptr<TrayHost> makeTrayHost()
{
    return std::make_unique<LinuxTrayHost>(QDBusConnection::sessionBus());
}

std::optional<QString> missingDisplayReason()
{
    // An explicit platform choice (offscreen, wayland, ...) is the user's to make.
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY"))
        return std::nullopt;
    const QString display = qEnvironmentVariable("DISPLAY");
    if (display.isEmpty())
        return u"quotix: no graphical session found (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
               "Start Quotix from your desktop session, or try \"quotix status\" in a terminal."_s;
    // A local display ":N" has its socket in /tmp/.X11-unix; remote ones are left to Qt.
    static const QRegularExpression local(u"^(unix)?:(\\d+)(\\.\\d+)?$"_s);
    const QRegularExpressionMatch match = local.match(display);
    if (match.hasMatch() && !QFileInfo::exists(u"/tmp/.X11-unix/X"_s + match.captured(2)))
        return u"quotix: cannot reach the display \""_s + display
            + u"\" (no X server is listening there).\n"
              "Start Quotix from your desktop session, or try \"quotix status\" in a terminal."_s;
    return std::nullopt;
}
