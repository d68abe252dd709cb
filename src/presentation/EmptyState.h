#pragma once

#include <QLatin1StringView>

// Shown by every face when no provider has credentials.
inline constexpr QLatin1StringView EmptyStateMessage{
    "No providers configured.\nRun 'claude' or 'codex' in Terminal to log in."};
