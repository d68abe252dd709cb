#pragma once

#include "core/NamedColor.h"
#include "presentation/WindowChart.h"

#include <QWidget>

#include <optional>

class QPainter;

// A row's small chart: the used share across the current window in the
// row's colour over the even-pace diagonal. Drawn at its real size, in the
// palette's colours, so it reads on light and dark panels alike.
class WindowChartView : public QWidget
{
    Q_OBJECT
public:
    static constexpr QSize ChartSize{60, 18};

    explicit WindowChartView(QWidget *parent = nullptr);

    void setChart(const std::optional<WindowChart> &chart, NamedColor color);
    const std::optional<WindowChart> &chart() const { return m_chart; }

    QSize sizeHint() const override { return ChartSize; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::optional<WindowChart> m_chart;
    NamedColor m_color = NamedColor::Green;
};

// Draws a chart into rect: shared by the row's view and the History window.
void paintWindowChart(QPainter &painter, const QRectF &rect, const WindowChart &chart, const QColor &line,
                      const QPalette &palette);
