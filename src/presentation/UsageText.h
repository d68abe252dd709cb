#pragma once

#include "core/Preferences.h"

#include <QString>

// What a face writes for a limit's figure: "76%" used, or "24% left". What is
// left is 100 minus the used share, truncated and never below 0, so it never
// promises more than there is; "--% left" when the value is not a number.
QString remainingText(double utilization);
QString usageText(double utilization, DisplayAs as);
