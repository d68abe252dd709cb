#pragma once

#include <QScrollArea>

class QVBoxLayout;

// A vertical stack in a frameless, transparent scroll area. It asks for the
// whole stack's height, so it looks like the bare stack; given less (a
// maximum height) it shows a vertical scrollbar and scrolls by the wheel.
class ScrollStack : public QScrollArea
{
    Q_OBJECT
public:
    explicit ScrollStack(int spacing, QWidget *parent = nullptr);

    QVBoxLayout *stack() const { return m_stack; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QVBoxLayout *m_stack;
};
