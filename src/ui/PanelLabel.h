#pragma once

#include "core/NamedColor.h"

#include <QLabel>

// A label whose colour is a tone of the panel, worked out again whenever the
// desktop's palette changes.
class PanelLabel : public QLabel
{
    Q_OBJECT
public:
    enum class Tone {
        Primary,
        Secondary,
        Named, // one of the band colours
    };

    PanelLabel(const QString &text, const QFont &font, Tone tone, QWidget *parent = nullptr);

    void setNamedColor(NamedColor color);

protected:
    void changeEvent(QEvent *event) override;

private:
    void applyColor();

    Tone m_tone;
    NamedColor m_named = NamedColor::Green;
};
