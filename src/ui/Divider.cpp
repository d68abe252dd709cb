#include "ui/Divider.h"

#include "ui/PanelStyle.h"

#include <QPainter>

Divider::Divider(QWidget *parent)
    : QWidget(parent)
{
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void Divider::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), PanelStyle::divider(palette()));
}
