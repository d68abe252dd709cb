#pragma once

#include "core/Bands.h"
#include "presentation/BandPalette.h"

#include <QColor>
#include <QImage>

class QPalette;
struct TitleLayout;

// The badge a tray slot can hold: a column per provider, its letter over a
// level bar filled in its band colour, since digits at 16 to 22 px do not
// read; without usage a drawn hourglass or cross, since the fonts present may
// lack those emoji. The backdrop is what the panel is known to be; Light
// also serves a panel of unknown brightness.
QImage paintTrayIcon(const TitleLayout &title, int logicalSize, qreal devicePixelRatio, Backdrop backdrop);
// The same, for a panel that draws its text in textColor.
QImage paintTrayIcon(const TitleLayout &title, int logicalSize, qreal devicePixelRatio, const QColor &textColor);

// Green, orange or red, a shade that reads on a panel whose text is textColor.
QColor titleBandColor(Band band, const QColor &textColor);

// The colour the desktop draws panel text in, from the application's palette.
QColor panelTextColor(const QPalette &palette);
