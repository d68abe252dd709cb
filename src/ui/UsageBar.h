#pragma once

#include "core/NamedColor.h"

#include <QWidget>

#include <optional>

// A 6 px rounded bar: a faint track and, over it, the filled share in the band
// colour; optionally a thin marker at the share of the window that has passed,
// so a fill running past it is ahead of pace.
class UsageBar : public QWidget
{
    Q_OBJECT
public:
    explicit UsageBar(QWidget *parent = nullptr);

    void setValue(double filledFraction, NamedColor color);
    void setMarker(std::optional<double> fraction);
    std::optional<double> marker() const { return m_marker; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    double m_fraction = 0.0;
    NamedColor m_color = NamedColor::Green;
    std::optional<double> m_marker;
};
