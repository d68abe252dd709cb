#pragma once

#include "presentation/PanelGeometry.h"

class QScreen;
class QWindow;

// The wlr-layer-shell protocol through layer-shell-qt, which the build uses
// where it finds it (Debian 13 on). It lets a client sit at a screen edge,
// which KWin and sway allow and GNOME does not.
namespace LayerShell {

// Built with layer-shell-qt, running as a Wayland client, and the compositor
// offers the protocol. Asked once; the answer is kept.
bool isAvailable();

// Makes window a layer surface anchored as anchor says on screen, or moves it
// there. Where the window holds the keyboard (DesktopTraits says where), a
// clear surface under it closes it on a click elsewhere while it is shown.
// Call it before the window is shown; a no-op where unavailable.
void anchor(QWindow *window, const LayerAnchor &anchor, QScreen *screen, bool holdsKeyboard);

} // namespace LayerShell
