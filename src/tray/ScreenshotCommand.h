#pragma once

#include <QImage>

struct TitleLayout;

// quotix screenshot [--demo] DIR
int runScreenshotCommand(int argc, char **argv);

// The tray item as a host that shows labels draws it on a dark panel bar:
// the badge icon, then the title with provider images and coloured percentages.
QImage renderTrayItem(const TitleLayout &title, qreal devicePixelRatio);
