#include "platform/linux/LinuxDesktopTraits.h"

#include <QList>
#include <QtGlobal>

DesktopEnvironment DesktopEnvironment::ofProcess()
{
    return {qgetenv("XDG_CURRENT_DESKTOP"), qgetenv("XDG_SESSION_TYPE"), qgetenv("WAYLAND_DISPLAY"),
            qgetenv("QT_QPA_PLATFORM"), qgetenv("SWAYSOCK")};
}

DesktopTraits linuxDesktopTraits(const DesktopEnvironment &environment)
{
    DesktopTraits traits;
    // A Wayland display counts whatever the session type says: nested and
    // hand-started compositors often leave XDG_SESSION_TYPE as it was.
    traits.waylandSession
        = environment.sessionType.compare("wayland", Qt::CaseInsensitive) == 0 || !environment.waylandDisplay.isEmpty();
    // A colon-separated list: "ubuntu:GNOME", "GNOME-Classic:GNOME".
    traits.gnome = environment.currentDesktop.toLower().contains("gnome");
    for (const QByteArray &desktop : environment.currentDesktop.split(':')) {
        if (desktop.compare("KDE", Qt::CaseInsensitive) == 0) {
            traits.layerPanelHoldsKeyboard = false;
            traits.trayEdge = Qt::BottomEdge; // Plasma's panel
            traits.panelFloat = 8;            // Plasma 6's floating panel; a mere gap under Plasma 5's
        }
        if (desktop.compare("sway", Qt::CaseInsensitive) == 0)
            traits.xwaylandIgnoresPlacement = true;
    }
    // sway started by hand sets no desktop name, but always its socket.
    if (!environment.swaySocket.isEmpty()) {
        traits.xwaylandIgnoresPlacement = true;
        traits.swaySocket = QString::fromLocal8Bit(environment.swaySocket);
    }
    // Native Wayland gives a titled window that the compositor places, named
    // and iconed from the desktop file; XWayland's frameless windows were
    // neither placed nor reliably drawn by every compositor. Qt falls back to
    // XWayland where its Wayland plugin is missing. The user's choice stands.
    if (environment.qtPlatform.isEmpty() && traits.waylandSession)
        traits.preferredQtPlatform = QByteArrayLiteral("wayland;xcb");
    return traits;
}

DesktopTraits desktopTraits()
{
    return linuxDesktopTraits(DesktopEnvironment::ofProcess());
}
