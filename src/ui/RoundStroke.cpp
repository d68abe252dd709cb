#include "ui/RoundStroke.h"

#include <QPainterPathStroker>

QPainterPath roundStroke(const QPolygonF &points, qreal width, bool closed)
{
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::RoundCap);
    QPainterPath outline;
    outline.setFillRule(Qt::WindingFill); // the segments overlap at each corner
    const qsizetype segments = closed ? points.size() : points.size() - 1;
    for (qsizetype i = 0; i < segments; ++i) {
        QPainterPath segment(points.at(i));
        segment.lineTo(points.at((i + 1) % points.size()));
        outline.addPath(stroker.createStroke(segment));
    }
    return outline;
}
