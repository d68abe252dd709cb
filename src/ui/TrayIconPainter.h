#pragma once

#include "core/Bands.h"
#include "presentation/BandPalette.h"

#include <QColor>
#include <QImage>

class QPalette;
struct TitleLayout;

// The badge a tray slot can hold: a column per provider, its letter over a
// level bar filled in its band colour, since digits at 16 to 22 px do not
// read (from three providers on, narrower bars, lettered where they are wide
// enough; four at most); without usage a drawn hourglass or cross, since the fonts present may
// lack those emoji. It sits on a dark plate of its own, because a tray item
// cannot learn the colour of the panel behind it. shades are those the
// application's windows use, so a band has one colour in the tray and in the
// panel; both sets read on the plate.
QImage paintTrayIcon(const TitleLayout &title, int logicalSize, qreal devicePixelRatio, Backdrop shades);

// Green, yellow or red, a shade that reads on a tooltip whose text is textColor.
QColor titleBandColor(Band band, const QColor &textColor);
