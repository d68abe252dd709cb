#pragma once

#include "core/Bands.h"

#include <QColor>
#include <QImage>

class QPalette;
struct TitleLayout;

// The badge a tray slot can hold: the title's numbers stacked in a square
// ("42" over "17"), each in its band colour; one provider gets one larger
// number; without usage a drawn hourglass or cross, since the fonts present
// may lack those emoji.
QImage paintTrayIcon(const TitleLayout &title, int logicalSize, qreal devicePixelRatio, const QColor &textColor);

// Green, orange or red, a shade that reads on a panel whose text is textColor.
QColor titleBandColor(Band band, const QColor &textColor);

// The colour the desktop draws panel text in, from the application's palette.
QColor panelTextColor(const QPalette &palette);
