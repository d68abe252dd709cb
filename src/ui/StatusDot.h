#pragma once

#include "core/NamedColor.h"

#include <QWidget>

// The 8 px dot in the footer, in the overall status colour.
class StatusDot : public QWidget
{
    Q_OBJECT
public:
    explicit StatusDot(QWidget *parent = nullptr);

    void setColor(NamedColor color);
    NamedColor color() const { return m_color; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    NamedColor m_color = NamedColor::Green;
};
