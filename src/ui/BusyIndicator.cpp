#include "ui/BusyIndicator.h"

#include "ui/ConstantArcs.h"
#include "ui/PanelStyle.h"
#include "ui/Spinner.h"

#include <QPainter>

#include <algorithm>

BusyIndicator::BusyIndicator(int diameter, QWidget *parent)
    : QWidget(parent)
    , m_spinner(new Spinner(this))
    , m_diameter(diameter)
{
    setFixedSize(diameter, diameter);
    m_spinner->setWanted(true);
}

QSize BusyIndicator::sizeHint() const
{
    return {m_diameter, m_diameter};
}

void BusyIndicator::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal pen = std::max(1.2, m_diameter / 8.0);
    const QRectF circle = QRectF(rect()).adjusted(pen / 2, pen / 2, -pen / 2, -pen / 2);

    QColor track = PanelStyle::secondary(palette());
    track.setAlphaF(track.alphaF() * 0.35f);
    painter.setPen(QPen(track, pen));
    painter.drawEllipse(circle);

    // A tenth over a quarter of the circle from the top, turned by the spinner.
    static constexpr auto Arc = ConstantArcs::arc<2>(90.0, -100.0);
    painter.setPen(QPen(PanelStyle::secondary(palette()), pen, Qt::SolidLine, Qt::RoundCap));
    painter.translate(circle.center());
    painter.setWorldTransform(m_spinner->rotation(), true);
    painter.drawPath(ConstantArcs::arcPath(Arc, {}, circle.width() / 2));
}

void BusyIndicator::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_spinner->onVisibilityChanged();
}

void BusyIndicator::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_spinner->onVisibilityChanged();
}
