#include "ui/RefreshButton.h"

#include "presentation/TrayItem.h"
#include "ui/ConstantArcs.h"
#include "ui/PanelStyle.h"
#include "ui/Spinner.h"

#include <QPainter>

#include <algorithm>

using namespace Qt::StringLiterals;

RefreshButton::RefreshButton(QWidget *parent)
    : QAbstractButton(parent)
    , m_spinner(new Spinner(this))
{
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    setToolTip(TrayMenuText::Refresh);
    setAccessibleName(TrayMenuText::Refresh);
}

void RefreshButton::setState(bool enabled, qreal opacity, bool spinning)
{
    setEnabled(enabled);
    if (m_opacity != opacity) {
        m_opacity = opacity;
        update();
    }
    m_spinner->setWanted(spinning);
}

bool RefreshButton::isSpinning() const
{
    return m_spinner->isWanted();
}

QSize RefreshButton::sizeHint() const
{
    return {20, 20};
}

void RefreshButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(m_opacity);
    const QPointF centre = QRectF(rect()).center();
    painter.translate(centre);
    painter.setWorldTransform(m_spinner->rotation(), true);

    const QColor color = palette().color(QPalette::WindowText);
    const qreal radius = std::min(width(), height()) * 0.3;

    // The arc leaves a gap at the upper right; the arrowhead points clockwise into it.
    constexpr qreal gapStart = 20.0;
    constexpr qreal sweep = -300.0;
    static constexpr auto Arc = ConstantArcs::arc<4>(gapStart, sweep);
    painter.setPen(QPen(color, 1.6, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(ConstantArcs::arcPath(Arc, {}, radius));

    constexpr QPointF end = ConstantArcs::unitPoint(gapStart + sweep);
    const QPointF tip = end * radius;
    const QPointF along(-end.y(), end.x()); // clockwise tangent on screen
    const QPointF outward = end;
    const QPointF head[3] = {tip + along * 2.6, tip - along * 0.8 + outward * 2.6, tip - along * 0.8 - outward * 2.6};
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawPolygon(head, 3);

    if (hasFocus()) {
        painter.resetTransform();
        QColor ring = palette().color(QPalette::Highlight);
        painter.setPen(QPen(ring, 1.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    }
}

void RefreshButton::showEvent(QShowEvent *event)
{
    QAbstractButton::showEvent(event);
    m_spinner->onVisibilityChanged();
}

void RefreshButton::hideEvent(QHideEvent *event)
{
    QAbstractButton::hideEvent(event);
    m_spinner->onVisibilityChanged();
}
