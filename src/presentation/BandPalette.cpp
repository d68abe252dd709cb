#include "presentation/BandPalette.h"

namespace {

constexpr Rgb LightGreen{0x1A, 0x8F, 0x3C};
constexpr Rgb LightYellow{0xA8, 0x80, 0x00};
constexpr Rgb LightOrange{0xD1, 0x6A, 0x00};
constexpr Rgb LightRed{0xED, 0x2D, 0x2D};

constexpr Rgb DarkGreen{0x30, 0xD1, 0x58};
constexpr Rgb DarkYellow{0xFF, 0xD6, 0x0A};
constexpr Rgb DarkOrange{0xFF, 0x9F, 0x0A};
constexpr Rgb DarkRed{0xFF, 0x45, 0x3A};

} // namespace

Rgb bandRgb(NamedColor color, Backdrop backdrop)
{
    const bool dark = backdrop == Backdrop::Dark;
    switch (color) {
    case NamedColor::Green: return dark ? DarkGreen : LightGreen;
    case NamedColor::Yellow: return dark ? DarkYellow : LightYellow;
    case NamedColor::Orange: return dark ? DarkOrange : LightOrange;
    case NamedColor::Red: return dark ? DarkRed : LightRed;
    }
    return dark ? DarkGreen : LightGreen;
}

Backdrop backdropBehindText(Rgb text)
{
    // Rec. 601 luma, as QColor's lightness roughly is: bright text sits on a dark panel.
    const int luma = (299 * text.red + 587 * text.green + 114 * text.blue) / 1000;
    return luma >= 128 ? Backdrop::Dark : Backdrop::Light;
}
