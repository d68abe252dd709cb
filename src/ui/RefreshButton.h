#pragma once

#include <QAbstractButton>

class Spinner;

// A circular arrow without a bezel. While spinning it is disabled, dimmed and
// turns once a second.
class RefreshButton : public QAbstractButton
{
    Q_OBJECT
public:
    explicit RefreshButton(QWidget *parent = nullptr);

    void setState(bool enabled, qreal opacity, bool spinning);
    bool isSpinning() const;
    qreal opacity() const { return m_opacity; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    Spinner *m_spinner;
    qreal m_opacity = 1.0;
};
