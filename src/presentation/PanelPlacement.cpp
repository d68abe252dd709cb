#include "presentation/PanelPlacement.h"

#include <QByteArray>

#include <algorithm>

namespace {

PanelPlacement anchored(PanelMode mode, const Activation &activation)
{
    return PanelPlacement{mode, activation.trayGeometry, activation.point};
}

} // namespace

bool isAnchorablePoint(QPoint point, const QList<QRect> &screens)
{
    // Item-relative points are small and positive in both coordinates.
    if (point.x() >= 0 && point.x() < PanelEdgeReach && point.y() >= 0 && point.y() < PanelEdgeReach)
        return false;
    for (const QRect &screen : screens) {
        if (!screen.contains(point))
            continue;
        const int toEdge = std::min({point.x() - screen.left(), screen.right() - point.x(), point.y() - screen.top(),
                                     screen.bottom() - point.y()});
        if (toEdge < PanelEdgeReach)
            return true;
    }
    return false;
}

QPoint likelyTrayPoint(const QRect &screen, const QRect &available)
{
    const int right = screen.right() - 1;
    const int bottom = screen.bottom() - 1;
    if (available.isEmpty() || !screen.contains(available))
        return QPoint(right, screen.top());
    if (available.top() > screen.top())
        return QPoint(right, (screen.top() + available.top()) / 2);
    if (available.bottom() < screen.bottom())
        return QPoint(right, (available.bottom() + screen.bottom() + 1) / 2);
    if (available.left() > screen.left())
        return QPoint((screen.left() + available.left()) / 2, bottom);
    if (available.right() < screen.right())
        return QPoint((available.right() + screen.right() + 1) / 2, bottom);
    return QPoint(right, screen.top());
}

PanelPlacement decidePanelPlacement(const PlacementInput &input)
{
    if (input.platformName.startsWith(u"wayland")) {
        if (!input.layerShell)
            return PanelPlacement{};
        if (input.activation)
            return PanelPlacement{PanelMode::AnchoredLayer, {}, input.activation->point};
        // Opened from the menu before any click: anchored at the right end of
        // the desktop's usual panel edge, where its tray is out of the box.
        const QRect screen = input.primaryScreen;
        if (screen.isEmpty())
            return PanelPlacement{PanelMode::AnchoredLayer, {}, QPoint()};
        const QPoint corner = input.trayEdge == Qt::BottomEdge ? QPoint(screen.right() - 1, screen.bottom() - 1)
                                                               : QPoint(screen.right() - 1, screen.top());
        return PanelPlacement{PanelMode::AnchoredLayer, {}, corner};
    }
    if (!input.activation) {
        // Opened from the menu before any click: on plain X11 still the popup
        // it is after a click, where the tray most likely is.
        if (input.platformName == u"xcb" && !input.waylandSession && !input.primaryScreen.isEmpty())
            return PanelPlacement{PanelMode::AnchoredPopup, QRect(),
                                  likelyTrayPoint(input.primaryScreen, input.primaryAvailable)};
        return PanelPlacement{};
    }

    const Activation &activation = *input.activation;
    if (input.platformName != u"xcb" || !input.waylandSession)
        return anchored(PanelMode::AnchoredPopup, activation);

    // XWayland: an embedding tray's geometry is real, a host's point only when global.
    if (!activation.trayGeometry.isEmpty() || isAnchorablePoint(activation.point, input.screens))
        return anchored(PanelMode::AnchoredTool, activation);
    return PanelPlacement{};
}
