#pragma once

#include "core/NamedColor.h"

#include <QString>

#include <optional>

// Which band a utilisation falls in: below 70, from 70, from 90. Every face
// gives a band the same colour, so the tray and the panel never disagree.
enum class Band {
    Low,
    Elevated,
    Critical,
};

Band bandFor(double utilization);
// Green, yellow or red, as the panel, the status dot and the terminal show it.
NamedColor bandColor(double utilization);
NamedColor bandColor(Band band);

// The utilisation truncated toward zero; absent when it is not finite or does
// not fit a 64-bit integer.
std::optional<qint64> truncatedPercent(double utilization);
// "42%"; "--%" when the value cannot be truncated.
QString percentText(double utilization);
