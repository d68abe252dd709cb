#include "ui/StatusDot.h"

#include "ui/PanelStyle.h"

#include <QPainter>

StatusDot::StatusDot(QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(8, 8);
}

void StatusDot::setColor(NamedColor color)
{
    if (m_color == color)
        return;
    m_color = color;
    update();
}

void StatusDot::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(PanelStyle::color(m_color, palette()));
    painter.drawEllipse(QRectF(rect()));
}
