#include "ui/WarningSign.h"

#include "ui/PanelStyle.h"
#include "ui/RoundStroke.h"

#include <QPainter>
#include <QPainterPath>

WarningSign::WarningSign(QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(24, 22);
}

void WarningSign::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor yellow = PanelStyle::color(NamedColor::Yellow, palette());
    const QRectF box = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);

    const QPolygonF triangle{{box.center().x(), box.top()}, box.bottomRight(), box.bottomLeft()};
    painter.fillPath(roundStroke(triangle, 1.8, true), yellow);

    const qreal x = box.center().x();
    painter.setPen(QPen(yellow, 2.0, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(x, box.top() + box.height() * 0.36), QPointF(x, box.top() + box.height() * 0.66));
    painter.setPen(Qt::NoPen);
    painter.setBrush(yellow);
    painter.drawEllipse(QPointF(x, box.top() + box.height() * 0.83), 1.2, 1.2);
}
