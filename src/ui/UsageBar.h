#pragma once

#include "core/NamedColor.h"

#include <QWidget>

// A 6 px rounded bar: a faint track and, over it, the filled share in the band colour.
class UsageBar : public QWidget
{
    Q_OBJECT
public:
    explicit UsageBar(QWidget *parent = nullptr);

    void setValue(double filledFraction, NamedColor color);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    double m_fraction = 0.0;
    NamedColor m_color = NamedColor::Green;
};
