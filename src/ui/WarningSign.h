#pragma once

#include <QWidget>

// A yellow warning triangle with an exclamation mark, drawn so that it needs no icon theme.
class WarningSign : public QWidget
{
    Q_OBJECT
public:
    explicit WarningSign(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
