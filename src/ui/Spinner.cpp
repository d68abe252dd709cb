#include "ui/Spinner.h"

#include "ui/ConstantArcs.h"

#include <QVariantAnimation>
#include <QWidget>

Spinner::Spinner(QWidget *widget)
    : QObject(widget)
    , m_widget(widget)
    , m_animation(new QVariantAnimation(this))
{
    m_animation->setStartValue(0.0);
    m_animation->setEndValue(360.0);
    m_animation->setDuration(1000);
    m_animation->setLoopCount(-1);
    connect(m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        m_angle = value.toReal();
        m_widget->update();
    });
}

void Spinner::setWanted(bool wanted)
{
    m_wanted = wanted;
    apply();
}

bool Spinner::isRunning() const
{
    return m_animation->state() == QAbstractAnimation::Running;
}

QTransform Spinner::rotation() const
{
    return ConstantArcs::turn(qRound(m_angle));
}

void Spinner::onVisibilityChanged()
{
    apply();
}

void Spinner::apply()
{
    const bool run = m_wanted && m_widget->isVisible();
    if (run && !isRunning()) {
        m_animation->start();
    } else if (!run && isRunning()) {
        m_animation->stop();
    }
    if (!m_wanted && m_angle != 0.0) {
        m_angle = 0.0;
        m_widget->update();
    }
}
