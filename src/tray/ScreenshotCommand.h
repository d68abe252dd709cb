#pragma once

#include <QImage>

struct TitleLayout;

// quotix screenshot [--demo] DIR
int runScreenshotCommand(int argc, char **argv);

// The tray item at the sizes hosts really draw it: on GNOME's dark top bar
// (16 px, with its label), then on a light and a dark 22 px panel.
QImage renderTrayItem(const TitleLayout &title, qreal devicePixelRatio);
