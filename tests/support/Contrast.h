#pragma once

#include <algorithm>
#include <cmath>

// WCAG 2 contrast of two colours given as 0x(AA)RRGGBB, alpha ignored;
// written out here independently of the palettes it judges.
inline double contrast(unsigned a, unsigned b)
{
    const auto luminance = [](unsigned rgb) {
        const auto channel = [](unsigned value) {
            const double c = (value & 0xFF) / 255.0;
            return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(rgb >> 16) + 0.7152 * channel(rgb >> 8) + 0.0722 * channel(rgb);
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}
