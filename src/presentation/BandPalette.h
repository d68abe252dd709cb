#pragma once

#include "core/Bands.h"
#include "core/NamedColor.h"

#include <QtGlobal>

// The one palette of band colours. Every face maps these to its own colour
// type; nothing else spells a band colour out.
struct Rgb
{
    quint8 red = 0;
    quint8 green = 0;
    quint8 blue = 0;

    friend constexpr bool operator==(Rgb, Rgb) = default;
};

// What the colour is drawn on.
enum class Backdrop {
    // A light window, or a tray panel whose brightness nobody tells: these
    // shades keep 3:1 against light and dark panels alike.
    Light,
    // A dark window or a panel known to be dark: brighter shades.
    Dark,
};

Rgb bandRgb(NamedColor color, Backdrop backdrop);

// Light text means a dark backdrop.
Backdrop backdropBehindText(Rgb text);
