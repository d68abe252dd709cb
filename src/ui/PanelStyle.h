#pragma once

#include "core/NamedColor.h"

#include <QColor>
#include <QFont>

class QPalette;
struct Rgb;
enum class Backdrop;

// The panel's fonts and colours. Sizes are logical pixels; colours come from
// the palette, so the panel follows the desktop's light or dark theme.
namespace PanelStyle {

inline constexpr int Width = 300;
inline constexpr int Padding = 14;      // around the whole panel
inline constexpr int StackSpacing = 12; // between the panel's blocks

bool isDark(const QPalette &palette);
// The shade set of band colours the palette's windows use.
Backdrop backdrop(const QPalette &palette);
QColor toColor(Rgb rgb);
// Green, yellow or red in a shade that reads on the palette's background.
QColor color(NamedColor color, const QPalette &palette);
// Text of lesser importance: the window text, faded.
QColor secondary(const QPalette &palette);
QColor divider(const QPalette &palette);

QFont headline();
QFont caption();
QFont caption2();
QFont systemFont(int pixelSize, QFont::Weight weight = QFont::Normal);
QFont monospaced(int pixelSize, QFont::Weight weight);

} // namespace PanelStyle
