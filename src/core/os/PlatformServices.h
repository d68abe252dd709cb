#pragma once

#include "core/LaunchAtLogin.h"
#include "core/os/DesktopTraits.h"
#include "core/os/NotificationManager.h"
#include "core/os/UptimeSource.h"
#include "core/os/WakeMonitor.h"

#include <QPoint>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

// What the tray application takes from the operating system. Each platform
// builds its own in one place (platform/linux, platform/macos).
struct PlatformServices
{
    std::unique_ptr<NotificationManager> notifications;
    std::unique_ptr<LoginItemService> loginItems;
    std::unique_ptr<UptimeSource> uptime;
    std::unique_ptr<WakeMonitor> wakeMonitor;
    DesktopTraits desktop; // decided once, before the application starts
};

PlatformServices makePlatformServices();
// Asks a window manager that places every window itself, whatever place it
// asks for (DesktopTraits::xwaylandIgnoresPlacement), to put the native
// window at topLeft; nothing where none can be asked.
void askWindowManagerToPlace(const DesktopTraits &desktop, quintptr window, QPoint topLeft);
// Asks such a window manager which part of the screen its bars leave free,
// which it tells X clients nothing of; answered gets it once, or nothing
// where none can be asked or it does not answer soundly in time.
void askWindowManagerForFreeArea(const DesktopTraits &desktop, QRect screen,
                                 std::function<void(std::optional<QRect>)> answered);
// Why no graphical session can be reached, before the GUI tries and aborts;
// nothing when one may be there.
std::optional<QString> missingDisplayReason();
