#pragma once

#include "core/os/DesktopTraits.h"

#include <QByteArray>

// The environment variables the desktop quirks are decided from.
struct DesktopEnvironment
{
    QByteArray currentDesktop; // XDG_CURRENT_DESKTOP, e.g. "ubuntu:GNOME"
    QByteArray sessionType;    // XDG_SESSION_TYPE
    QByteArray waylandDisplay; // WAYLAND_DISPLAY
    QByteArray qtPlatform;     // QT_QPA_PLATFORM: the user's own choice
    QByteArray swaySocket;     // SWAYSOCK, which sway sets for what it starts

    static DesktopEnvironment ofProcess();
};

DesktopTraits linuxDesktopTraits(const DesktopEnvironment &environment);
