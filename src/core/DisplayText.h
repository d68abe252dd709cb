#pragma once

#include "core/UsageModel.h"

#include <QString>

// Texts a service chose (limit names, error messages) reach a terminal, a
// panel, a menu and notifications. Line and tab characters become spaces;
// every other control character (C0, DEL, C1) and every bidi embedding,
// override or isolate becomes U+FFFD, so no text can drive a terminal or
// reorder what is shown around it.
QString displaySafeText(const QString &text);

// The same for every text of a fetched answer.
ProviderUsageResponse displaySafeUsage(ProviderUsageResponse usage);
