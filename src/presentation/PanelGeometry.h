#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Where the panel goes: against the edge of the tray item that faces the
// screen's free area (below a top panel, above a bottom one, beside a side
// one), centred on the item, then pushed fully onto availableScreen. An empty
// trayGeometry anchors it at point instead.
QRect panelGeometry(QSize panel, QRect trayGeometry, QPoint point, QRect availableScreen);
