#include "ui/ScrollStack.h"

#include <QCoreApplication>
#include <QEvent>
#include <QVBoxLayout>

#include <algorithm>

ScrollStack::ScrollStack(int spacing, QWidget *parent)
    : QScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setWidgetResizable(true);
    viewport()->setAutoFillBackground(false);

    auto *content = new QWidget;
    m_stack = new QVBoxLayout(content);
    m_stack->setContentsMargins(0, 0, 0, 0);
    m_stack->setSpacing(spacing);
    setWidget(content);
    content->setAutoFillBackground(false); // setWidget turns it on
}

int ScrollStack::heightForWidth(int width) const
{
    const int frame = 2 * frameWidth();
    return frame
        + (m_stack->hasHeightForWidth() ? m_stack->totalHeightForWidth(width - frame)
                                        : m_stack->totalSizeHint().height());
}

QSize ScrollStack::sizeHint() const
{
    // QScrollArea's own hint stops at 24 lines.
    const int width = m_stack->totalSizeHint().width() + 2 * frameWidth();
    return QSize(width, heightForWidth(width));
}

QSize ScrollStack::minimumSizeHint() const
{
    // Enough to show that something scrolls there.
    return QSize(0, std::min(sizeHint().height(), 4 * fontMetrics().height()));
}

bool ScrollStack::eventFilter(QObject *watched, QEvent *event)
{
    // The stack changed: the layout around must ask again, and the stack be
    // fitted to the viewport once its own layout has run.
    if (watched == widget() && event->type() == QEvent::LayoutRequest) {
        updateGeometry();
        QCoreApplication::postEvent(this, new QEvent(QEvent::LayoutRequest));
    }
    return QScrollArea::eventFilter(watched, event);
}
