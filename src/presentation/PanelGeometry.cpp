#include "presentation/PanelGeometry.h"

#include "presentation/PanelPlacement.h"

#include <algorithm>

namespace {

// Gap between the tray item and the panel, so the item's highlight stays visible.
constexpr int AnchorGap = 4;
// Kept free between a capped panel and the screen's edge.
constexpr int ScreenMargin = 8;
// The window manager's frame around a titled window, which Qt cannot tell before it is shown.
constexpr int TitleBarAllowance = 40;
// Where the compositor places the panel, Qt on Wayland reports the whole
// screen as available: the desktop's own panel (GNOME's 32 px, Plasma's 44)
// is not subtracted, so room is kept for one.
constexpr int DesktopPanelAllowance = 48;

// The screen edge nearest to the item tells which panel it sits in; a tray
// outside the available area (behind a strut) gives a negative distance, the nearest.
Qt::Edge nearestEdge(QRect anchor, QRect area)
{
    const int toTop = anchor.top() - area.top();
    const int toBottom = area.bottom() - anchor.bottom();
    const int toLeft = anchor.left() - area.left();
    const int toRight = area.right() - anchor.right();
    const int nearest = std::min({toTop, toBottom, toLeft, toRight});
    if (nearest == toTop)
        return Qt::TopEdge;
    if (nearest == toBottom)
        return Qt::BottomEdge;
    return nearest == toLeft ? Qt::LeftEdge : Qt::RightEdge;
}

int clampInto(int start, int length, int areaStart, int areaLength)
{
    // A panel larger than the area keeps its top-left corner on screen.
    const int last = areaStart + areaLength - length;
    return std::max(areaStart, std::min(start, last));
}

} // namespace

QRect panelGeometry(QSize panel, QRect trayGeometry, QPoint point, QRect availableScreen)
{
    const QRect anchor = trayGeometry.isEmpty() ? QRect(point, QSize(0, 0)) : trayGeometry;
    const QRect area = availableScreen;
    const int centredX = anchor.left() + (anchor.width() - panel.width()) / 2;
    const int centredY = anchor.top() + (anchor.height() - panel.height()) / 2;
    QPoint topLeft;
    switch (nearestEdge(anchor, area)) {
    case Qt::TopEdge: topLeft = {centredX, anchor.bottom() + 1 + AnchorGap}; break;
    case Qt::BottomEdge: topLeft = {centredX, anchor.top() - AnchorGap - panel.height()}; break;
    case Qt::LeftEdge: topLeft = {anchor.right() + 1 + AnchorGap, centredY}; break;
    case Qt::RightEdge: topLeft = {anchor.left() - AnchorGap - panel.width(), centredY}; break;
    }

    topLeft.setX(clampInto(topLeft.x(), panel.width(), area.left(), area.width()));
    topLeft.setY(clampInto(topLeft.y(), panel.height(), area.top(), area.height()));
    return QRect(topLeft, panel);
}

QRect clearOfFloatingPanels(QRect screen, QRect available, int panelFloat)
{
    if (panelFloat <= 0 || available.isEmpty() || !screen.contains(available))
        return available;
    const auto reserved = [panelFloat](bool inset) { return inset ? panelFloat : 0; };
    return available.marginsRemoved(
        QMargins(reserved(available.left() > screen.left()), reserved(available.top() > screen.top()),
                 reserved(available.right() < screen.right()), reserved(available.bottom() < screen.bottom())));
}

QRect clearOfUnreportedBar(QRect screen, QRect available, QPoint point)
{
    if (available != screen || !isAnchorablePoint(point, {screen}))
        return available;
    const int toTop = point.y() - screen.top();
    const int toBottom = screen.bottom() - point.y();
    const int toLeft = point.x() - screen.left();
    const int toRight = screen.right() - point.x();
    const int nearest = std::min({toTop, toBottom, toLeft, toRight});
    const int bar = std::max(2 * nearest + 1, MinimumBarThickness);
    QMargins margins;
    if (nearest == toTop)
        margins.setTop(bar);
    else if (nearest == toBottom)
        margins.setBottom(bar);
    else if (nearest == toLeft)
        margins.setLeft(bar);
    else
        margins.setRight(bar);
    return available.marginsRemoved(margins);
}

int panelHeightLimit(PanelMode mode, QRect trayGeometry, QPoint point, QRect availableScreen)
{
    const QRect area = availableScreen;
    int room = area.height();
    if (mode == PanelMode::PlacedWindow)
        room -= TitleBarAllowance;
    if (mode == PanelMode::PlacedWindow || mode == PanelMode::AnchoredLayer)
        room -= DesktopPanelAllowance;
    if (mode == PanelMode::AnchoredPopup || mode == PanelMode::AnchoredTool) {
        const QRect anchor = trayGeometry.isEmpty() ? QRect(point, QSize(0, 0)) : trayGeometry;
        // Beside a side panel it is centred on the item, clear of it anyway.
        const Qt::Edge edge = nearestEdge(anchor, area);
        if (edge == Qt::TopEdge)
            room = std::min(room, area.bottom() - anchor.bottom() - AnchorGap);
        else if (edge == Qt::BottomEdge)
            room = std::min(room, anchor.top() - AnchorGap - area.top());
    }
    return std::max(0, room - ScreenMargin);
}

LayerAnchor layerAnchor(QSize panel, QPoint point, const QList<QRect> &screens)
{
    if (screens.isEmpty())
        return {};
    for (int i = 0; i < screens.size(); ++i) {
        const QRect screen = screens.at(i);
        if (!isAnchorablePoint(point, {screen}))
            continue;
        const int toTop = point.y() - screen.top();
        const int toBottom = screen.bottom() - point.y();
        const int toLeft = point.x() - screen.left();
        const int toRight = screen.right() - point.x();
        const int nearest = std::min({toTop, toBottom, toLeft, toRight});
        const int alongX = std::max(0, clampInto(point.x() - panel.width() / 2, panel.width(), screen.left(),
                                                 screen.width()) - screen.left());
        const int alongY = std::max(0, clampInto(point.y() - panel.height() / 2, panel.height(), screen.top(),
                                                 screen.height()) - screen.top());
        if (nearest == toTop)
            return {i, Qt::TopEdge, alongX};
        if (nearest == toBottom)
            return {i, Qt::BottomEdge, alongX};
        if (nearest == toLeft)
            return {i, Qt::LeftEdge, alongY};
        return {i, Qt::RightEdge, alongY};
    }
    return {0, Qt::TopEdge, std::max(0, screens.first().width() - panel.width())};
}
