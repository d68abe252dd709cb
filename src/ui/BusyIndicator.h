#pragma once

#include <QWidget>

class Spinner;

// A small indeterminate progress circle; it turns only while on screen.
class BusyIndicator : public QWidget
{
    Q_OBJECT
public:
    explicit BusyIndicator(int diameter, QWidget *parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    Spinner *m_spinner;
    int m_diameter;
};
