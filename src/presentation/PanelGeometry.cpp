#include "presentation/PanelGeometry.h"

#include "presentation/PanelPlacement.h"

#include <algorithm>

namespace {

// Gap between the tray item and the panel, so the item's highlight stays visible.
constexpr int AnchorGap = 4;

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

    // The nearest screen edge tells which panel the item sits in; a tray outside
    // the available area (behind a strut) gives a negative distance, the nearest.
    const int toTop = anchor.top() - area.top();
    const int toBottom = area.bottom() - anchor.bottom();
    const int toLeft = anchor.left() - area.left();
    const int toRight = area.right() - anchor.right();
    const int nearest = std::min({toTop, toBottom, toLeft, toRight});

    const int centredX = anchor.left() + (anchor.width() - panel.width()) / 2;
    const int centredY = anchor.top() + (anchor.height() - panel.height()) / 2;
    QPoint topLeft;
    if (nearest == toTop)
        topLeft = {centredX, anchor.bottom() + 1 + AnchorGap};
    else if (nearest == toBottom)
        topLeft = {centredX, anchor.top() - AnchorGap - panel.height()};
    else if (nearest == toLeft)
        topLeft = {anchor.right() + 1 + AnchorGap, centredY};
    else
        topLeft = {anchor.left() - AnchorGap - panel.width(), centredY};

    topLeft.setX(clampInto(topLeft.x(), panel.width(), area.left(), area.width()));
    topLeft.setY(clampInto(topLeft.y(), panel.height(), area.top(), area.height()));
    return QRect(topLeft, panel);
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
