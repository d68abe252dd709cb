#include "ui/PanelStyle.h"

#include <QGuiApplication>
#include <QPalette>

using namespace Qt::StringLiterals;

namespace PanelStyle {

bool isDark(const QPalette &palette)
{
    return palette.color(QPalette::Window).lightness() < 128;
}

QColor color(NamedColor color, const QPalette &palette)
{
    // Text in these colours sits on the window background: darker shades on a
    // light one keep the yellow readable, brighter ones glow on a dark one.
    const bool dark = isDark(palette);
    switch (color) {
    case NamedColor::Green:
        return dark ? QColor(0x30, 0xD1, 0x58) : QColor(0x1F, 0xA3, 0x45);
    case NamedColor::Yellow:
        return dark ? QColor(0xFF, 0xD6, 0x0A) : QColor(0xD9, 0xA4, 0x00);
    case NamedColor::Orange:
        return dark ? QColor(0xFF, 0x9F, 0x0A) : QColor(0xE0, 0x7B, 0x00);
    case NamedColor::Red:
        return dark ? QColor(0xFF, 0x45, 0x3A) : QColor(0xE0, 0x2F, 0x25);
    }
    return palette.color(QPalette::WindowText);
}

QColor secondary(const QPalette &palette)
{
    QColor text = palette.color(QPalette::WindowText);
    text.setAlphaF(0.55f);
    return text;
}

QColor divider(const QPalette &palette)
{
    QColor text = palette.color(QPalette::WindowText);
    text.setAlphaF(0.15f);
    return text;
}

QFont systemFont(int pixelSize, QFont::Weight weight)
{
    QFont font = QGuiApplication::font();
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

QFont headline()
{
    return systemFont(13, QFont::Bold);
}

QFont caption()
{
    return systemFont(11);
}

QFont caption2()
{
    return systemFont(10);
}

QFont monospaced(int pixelSize, QFont::Weight weight)
{
    QFont font(u"monospace"_s);
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

} // namespace PanelStyle
