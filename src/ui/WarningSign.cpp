#include "ui/WarningSign.h"

#include "ui/PanelStyle.h"

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

    QPainterPath triangle;
    triangle.moveTo(box.center().x(), box.top());
    triangle.lineTo(box.right(), box.bottom());
    triangle.lineTo(box.left(), box.bottom());
    triangle.closeSubpath();
    painter.setPen(QPen(yellow, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(triangle);

    const qreal x = box.center().x();
    painter.setPen(QPen(yellow, 2.0, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(x, box.top() + box.height() * 0.36), QPointF(x, box.top() + box.height() * 0.66));
    painter.setPen(Qt::NoPen);
    painter.setBrush(yellow);
    painter.drawEllipse(QPointF(x, box.top() + box.height() * 0.83), 1.2, 1.2);
}
