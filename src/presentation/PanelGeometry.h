#pragma once

#include "presentation/PanelPlacement.h"

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

// Where the panel goes: against the edge of the tray item that faces the
// screen's free area (below a top panel, above a bottom one, beside a side
// one), centred on the item, then pushed fully onto availableScreen. An empty
// trayGeometry anchors it at point instead.
QRect panelGeometry(QSize panel, QRect trayGeometry, QPoint point, QRect availableScreen);

// The tallest the panel may be on availableScreen: the area's height less a
// margin (and less a title bar for a placed window, and room for the desktop's
// panel where the compositor places it); an anchored panel below
// or above its item gets only the room on the item's far side, so it never
// covers the item. A taller panel scrolls its providers.
int panelHeightLimit(PanelMode mode, QRect trayGeometry, QPoint point, QRect availableScreen);

// The available area less the gap a desktop leaves between the room it
// reserves for its panel and where it draws it (DesktopTraits::panelFloat),
// on each side where it reserves room.
QRect clearOfFloatingPanels(QRect screen, QRect available, int panelFloat);

// The available area less the bar the host's click fell in, where the
// desktop reserves room X clients are not told of (sway under XWayland) and
// available is the whole screen: the item sits in the middle of its bar, so
// the bar is taken to reach twice the click's depth from the nearest edge, at
// least MinimumBarThickness. A point off the screen's edges changes nothing.
inline constexpr int MinimumBarThickness = 24;
QRect clearOfUnreportedBar(QRect screen, QRect available, QPoint point);

// Where a layer-shell panel sits: the screen edge it is anchored to and its
// distance from the screen's left (top and bottom edge) or top (side edges).
struct LayerAnchor
{
    int screen = 0; // index into the screens given
    Qt::Edge edge = Qt::TopEdge;
    int offset = 0;
    int fromEdge = 0; // kept from the edge beyond the desktop's reserved room (DesktopTraits::panelFloat)

    bool operator==(const LayerAnchor &) const = default;
};

// At the screen edge nearest to a click the host gave in screen coordinates,
// centred on it; a host that gives none, or one relative to its item (waybar),
// gets the top right corner of the first screen, where trays usually sit.
LayerAnchor layerAnchor(QSize panel, QPoint point, const QList<QRect> &screens);
