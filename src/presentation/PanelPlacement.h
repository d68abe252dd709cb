#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>

#include <optional>

// How the panel can be shown on this platform, decided from what Qt and the
// tray host tell. Wayland lets no client place a top-level, and a popup's
// grab under XWayland misses clicks on Wayland surfaces, so only a plain X11
// session gets the anchored popup; on Wayland only a compositor with the
// layer-shell protocol (KWin, sway) lets the panel sit at a screen edge.
enum class PanelMode {
    AnchoredPopup, // frameless popup at the item; a click outside closes it
    AnchoredTool,  // frameless window at the item; losing activation closes it
    AnchoredLayer, // frameless layer surface at a screen edge; losing the keyboard closes it
    PlacedWindow,  // titled "Quotix" window the compositor places
};

struct PanelPlacement
{
    PanelMode mode = PanelMode::PlacedWindow;
    QRect trayGeometry; // the anchored modes: the item, or empty to hang from point
    QPoint point;       // AnchoredLayer: where the host says the click was, item-relative or global
};

// Where the user clicked the item, as the host reported it.
struct Activation
{
    QRect trayGeometry; // empty when the host does not tell
    QPoint point;
};

struct PlacementInput
{
    QString platformName;                 // QGuiApplication::platformName(): "xcb", "wayland", "offscreen", …
    bool waylandSession = false;          // DesktopTraits::waylandSession
    std::optional<Activation> activation; // absent when opened from the menu without an earlier click
    QList<QRect> screens;                 // every screen's geometry
    // The primary screen's geometry without the panels', for a guess at the
    // tray when no click told where it is.
    QRect primaryScreen;
    QRect primaryAvailable;
    bool layerShell = false;              // the build has layer-shell-qt and the compositor offers it
    Qt::Edge trayEdge = Qt::TopEdge;      // DesktopTraits::trayEdge
};

// A point counts as on screen for anchoring when it lies within this distance
// of an edge of some screen, where a panel can be.
inline constexpr int PanelEdgeReach = 64;

PanelPlacement decidePanelPlacement(const PlacementInput &input);

// Where the tray most likely is when nothing told: in the panel strip the
// screen's available area leaves out, at its right or bottom end, where
// desktops put their trays; the top-right corner without a panel.
QPoint likelyTrayPoint(const QRect &screen, const QRect &available);

// True for a point near a screen edge that is not an item-relative one
// (waybar reports e.g. (10, 17) within the item, which would land in the
// top-left corner of the desktop).
bool isAnchorablePoint(QPoint point, const QList<QRect> &screens);
