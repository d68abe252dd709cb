// Built without layer-shell-qt: the panel never becomes a layer surface.
#include "ui/LayerShell.h"

bool LayerShell::isAvailable()
{
    return false;
}

void LayerShell::anchor(QWindow *, const LayerAnchor &, QScreen *, bool) {}
