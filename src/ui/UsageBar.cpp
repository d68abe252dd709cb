#include "ui/UsageBar.h"

#include "ui/PanelStyle.h"

#include <QPainter>

#include <algorithm>

namespace {
constexpr int BarHeight = 6;
constexpr qreal CornerRadius = 3.0; // half the height: fully rounded ends
constexpr qreal MarkerWidth = 1.5;
} // namespace

UsageBar::UsageBar(QWidget *parent)
    : QWidget(parent)
{
    setFixedHeight(BarHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void UsageBar::setValue(double filledFraction, NamedColor color)
{
    if (m_fraction == filledFraction && m_color == color)
        return;
    m_fraction = filledFraction;
    m_color = color;
    update();
}

void UsageBar::setMarker(std::optional<double> fraction)
{
    if (m_marker == fraction)
        return;
    m_marker = fraction;
    update();
}

QSize UsageBar::sizeHint() const
{
    return {100, BarHeight};
}

void UsageBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);

    QColor track = palette().color(QPalette::WindowText);
    track.setAlphaF(0.15f);
    painter.setBrush(track);
    painter.drawRoundedRect(QRectF(rect()), CornerRadius, CornerRadius);

    const qreal filled = width() * std::clamp(m_fraction, 0.0, 1.0);
    if (filled > 0.0) {
        painter.setBrush(PanelStyle::color(m_color, palette()));
        const qreal radius = std::min(CornerRadius, filled / 2);
        painter.drawRoundedRect(QRectF(0, 0, filled, height()), radius, CornerRadius);
    }

    if (m_marker) {
        // Kept inside the bar so it stays visible at both ends.
        const qreal x = std::clamp(width() * *m_marker, MarkerWidth / 2, width() - MarkerWidth / 2);
        QColor marker = palette().color(QPalette::WindowText);
        marker.setAlphaF(0.75f);
        painter.setBrush(marker);
        painter.drawRect(QRectF(x - MarkerWidth / 2, 0, MarkerWidth, height()));
    }
}
