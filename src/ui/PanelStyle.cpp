#include "ui/PanelStyle.h"

#include "presentation/BandPalette.h"

#include <QGuiApplication>
#include <QPalette>

using namespace Qt::StringLiterals;

namespace PanelStyle {

QColor toColor(Rgb rgb)
{
    return QColor(rgb.red, rgb.green, rgb.blue);
}

bool isDark(const QPalette &palette)
{
    return palette.color(QPalette::Window).lightness() < 128;
}

Backdrop backdrop(const QPalette &palette)
{
    return isDark(palette) ? Backdrop::Dark : Backdrop::Light;
}

QColor color(NamedColor color, const QPalette &palette)
{
    return toColor(bandRgb(color, backdrop(palette)));
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
