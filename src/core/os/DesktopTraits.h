#pragma once

#include <QByteArray>
#include <QString>
#include <QtCore/qnamespace.h>

#include <chrono>

// What the desktop session needs of us, decided once from the environment
// (each platform in one place: platform/linux/LinuxDesktopTraits), so no
// other code reads environment variables for a quirk.
struct DesktopTraits
{
    // A Wayland session, whichever Qt platform runs: Qt on XWayland gets no
    // popup there, since its grab misses clicks on Wayland surfaces.
    bool waylandSession = false;
    // GNOME, where a missing tray nearly always means the AppIndicator
    // extension is off.
    bool gnome = false;
    // The Qt platform to ask for before the application starts; empty: Qt's own choice.
    QByteArray preferredQtPlatform;
    // A host may deliver the click that closed the panel as an activation a
    // few milliseconds later; that one must not reopen it.
    std::chrono::milliseconds reopenGuard{300};
    // Whether the layer-shell panel holds the keyboard while open. KWin hands
    // a surface that takes it on demand the keyboard when it maps, and moves
    // it on a click elsewhere, which closes the panel. sway hands it straight
    // back to the window it had focused, so there the panel holds it (Escape)
    // and a clear surface under it takes the click elsewhere.
    bool layerPanelHoldsKeyboard = true;
    // The screen edge the desktop's own panel, and with it the tray, sits at
    // out of the box. A layer-shell panel opened from the menu before any click
    // hangs from its right end: Qt on Wayland does not say where the panel is.
    Qt::Edge trayEdge = Qt::TopEdge;
    // How far the desktop draws its own panel off the room it reserves for
    // it. Plasma 6 floats its panel 8 px above the screen edge but reserves
    // only its thickness, so a panel flush with the free area covered its top.
    int panelFloat = 0;
    // sway floats the frameless window Qt makes on XWayland centred, whatever
    // place it asks for, and tells X clients of no room taken by its bar. The
    // anchored panel asks sway to move it (askWindowManagerToPlace), into the
    // room sway's bars leave (askWindowManagerForFreeArea), else below a bar
    // guessed from where the click fell in it.
    bool xwaylandIgnoresPlacement = false;
    QString swaySocket; // where sway takes commands; empty when not known
};

// This session's traits, from the environment of the process.
DesktopTraits desktopTraits();
