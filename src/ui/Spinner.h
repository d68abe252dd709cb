#pragma once

#include <QObject>

class QTransform;
class QVariantAnimation;
class QWidget;

// Turns an angle once a second while it is wanted and its widget is on
// screen; a hidden panel runs no animation at all.
class Spinner : public QObject
{
    Q_OBJECT
public:
    explicit Spinner(QWidget *widget);

    void setWanted(bool wanted);
    bool isWanted() const { return m_wanted; }
    bool isRunning() const;
    qreal angle() const { return m_angle; }
    // The turn by the angle, in whole degrees.
    QTransform rotation() const;
    // Called by the widget from its show and hide events.
    void onVisibilityChanged();

private:
    void apply();

    QWidget *m_widget;
    QVariantAnimation *m_animation;
    bool m_wanted = false;
    qreal m_angle = 0.0;
};
