#include "ui/PanelLabel.h"

#include "ui/PanelStyle.h"

#include <QEvent>

PanelLabel::PanelLabel(const QString &text, const QFont &font, Tone tone, QWidget *parent)
    : QLabel(text, parent)
    , m_tone(tone)
{
    setFont(font);
    setTextFormat(Qt::PlainText); // provider texts are shown verbatim, never as markup
    applyColor();
}

void PanelLabel::setNamedColor(NamedColor color)
{
    m_tone = Tone::Named;
    m_named = color;
    applyColor();
}

void PanelLabel::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ParentChange)
        applyColor();
}

void PanelLabel::applyColor()
{
    // The label's own text colour is overridden, so the theme is read from the parent.
    const QPalette theme = parentWidget() ? parentWidget()->palette() : palette();
    QColor color;
    switch (m_tone) {
    case Tone::Primary: color = theme.color(QPalette::WindowText); break;
    case Tone::Secondary: color = PanelStyle::secondary(theme); break;
    case Tone::Named: color = PanelStyle::color(m_named, theme); break;
    }
    if (palette().color(QPalette::WindowText) == color && testAttribute(Qt::WA_SetPalette))
        return; // setting it again would announce another palette change
    QPalette own = palette();
    own.setColor(QPalette::WindowText, color);
    setPalette(own);
}
