#include "ui/WindowChartView.h"

#include "ui/PanelStyle.h"
#include "ui/RoundStroke.h"

#include <QPainter>
#include <QPainterPath>

WindowChartView::WindowChartView(QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(ChartSize);
}

void WindowChartView::setChart(const std::optional<WindowChart> &chart, NamedColor color)
{
    m_chart = chart;
    m_color = color;
    update();
}

void WindowChartView::paintEvent(QPaintEvent *)
{
    if (!m_chart)
        return;
    QPainter painter(this);
    paintWindowChart(painter, QRectF(rect()), *m_chart, PanelStyle::color(m_color, palette()), palette());
}

void paintWindowChart(QPainter &painter, const QRectF &rect, const WindowChart &chart, const QColor &line,
                      const QPalette &palette)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    // Half the line's width inside, so a full or empty window is not cut off.
    const QRectF area = rect.adjusted(1, 1, -1, -1);
    const auto at = [&](const QPointF &share) {
        return QPointF(area.left() + share.x() * area.width(), area.bottom() - share.y() * area.height());
    };

    painter.setPen(QPen(PanelStyle::divider(palette), 1));
    painter.drawLine(QPointF(area.left(), area.bottom()), QPointF(area.right(), area.bottom()));

    QPen pace(PanelStyle::secondary(palette), 1, Qt::DashLine);
    painter.setPen(pace);
    painter.drawLine(at(chart.pace.p1()), at(chart.pace.p2()));

    QColor fill = line;
    fill.setAlphaF(0.22f);
    for (const QList<QPointF> &run : chart.runs) {
        QPolygonF points;
        for (const QPointF &share : run)
            points.append(at(share));
        QPainterPath area;
        area.addPolygon(points);
        area.lineTo(at({run.last().x(), 0}));
        area.lineTo(at({run.first().x(), 0}));
        area.closeSubpath();
        painter.fillPath(area, fill);
        if (run.size() == 1) {
            painter.setPen(QPen(line, 1.5, Qt::SolidLine, Qt::RoundCap));
            painter.drawPoint(points.first());
        } else {
            painter.fillPath(roundStroke(points, 1.5), line);
        }
    }
    painter.restore();
}
