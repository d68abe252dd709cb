#pragma once

#include "core/NamedColor.h"

#include <QString>

#include <optional>

// Which band a utilisation falls in: below 70, from 70, from 90. The faces
// choose their own colour for the middle band (orange in the title, yellow
// elsewhere).
enum class Band {
    Low,
    Elevated,
    Critical,
};

Band bandFor(double utilization);
// Green, yellow or red, as the panel, the status dot and the terminal show it.
NamedColor bandColor(double utilization);

// The utilisation truncated toward zero; absent when it is not finite or does
// not fit a 64-bit integer.
std::optional<qint64> truncatedPercent(double utilization);
// "42%"; "--%" when the value cannot be truncated.
QString percentText(double utilization);
