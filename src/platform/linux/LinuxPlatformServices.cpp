#include "core/os/PlatformServices.h"

#include "platform/linux/BootClockUptime.h"
#include "platform/linux/FreedesktopNotifications.h"
#include "platform/linux/LinuxTrayHost.h"
#include "platform/linux/LogindWakeMonitor.h"
#include "platform/linux/SwayIpc.h"
#include "platform/linux/XdgAutostartService.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QFileInfo>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

PlatformServices makePlatformServices()
{
    PlatformServices services;
    services.notifications = std::make_unique<FreedesktopNotifications>(QDBusConnection::sessionBus());
    // The desktop should start the launcher the user started, not quotix-gui behind it.
    const QString launcher = qEnvironmentVariable(QUOTIX_LAUNCHER_VARIABLE);
    services.loginItems = std::make_unique<XdgAutostartService>(
        XdgAutostartService::defaultFolder(), launcher.isEmpty() ? QCoreApplication::applicationFilePath() : launcher);
    services.uptime = std::make_unique<BootClockUptime>();
    services.wakeMonitor = std::make_unique<LogindWakeMonitor>([] { return QDBusConnection::systemBus(); });
    return services;
}

void askWindowManagerToPlace(const DesktopTraits &desktop, quintptr window, QPoint topLeft)
{
    if (desktop.xwaylandIgnoresPlacement && !desktop.swaySocket.isEmpty())
        moveWithSway(desktop.swaySocket, window, topLeft);
}

void askWindowManagerForFreeArea(const DesktopTraits &desktop, QRect screen,
                                 std::function<void(std::optional<QRect>)> answered)
{
    if (desktop.xwaylandIgnoresPlacement && !desktop.swaySocket.isEmpty())
        askSwayForFreeArea(desktop.swaySocket, screen, std::move(answered));
    else
        answered(std::nullopt);
}

std::unique_ptr<TrayHost> makeTrayHost(const DesktopTraits &desktop)
{
    return std::make_unique<LinuxTrayHost>(QDBusConnection::sessionBus(), desktop.gnome);
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
    // A local display "[unix]:N[.S]" has its socket in /tmp/.X11-unix; remote
    // ones are left to Qt. Parsed by hand: a regular expression engine would
    // stay in memory for the life of the program for this one look.
    const auto allDigits = [](QStringView text) {
        return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
    };
    QStringView rest(display);
    if (rest.startsWith(u"unix:"))
        rest = rest.sliced(4);
    bool local = rest.startsWith(u':');
    QStringView number;
    if (local) {
        rest = rest.sliced(1);
        const qsizetype dot = rest.indexOf(u'.');
        number = dot < 0 ? rest : rest.first(dot);
        local = allDigits(number) && (dot < 0 || allDigits(rest.sliced(dot + 1)));
    }
    if (local && !QFileInfo::exists(u"/tmp/.X11-unix/X"_s + number.toString()))
        return u"quotix: cannot reach the display \""_s + display
            + u"\" (no X server is listening there).\n"
              "Start Quotix from your desktop session, or try \"quotix status\" in a terminal."_s;
    return std::nullopt;
}
