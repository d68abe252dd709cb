#pragma once

#include <QDateTime>
#include <QLatin1StringView>

#include <optional>

// Shown by every face when no provider has credentials.
inline constexpr QLatin1StringView EmptyStateMessage{
    "No providers configured.\nRun 'claude' or 'codex' in Terminal to log in."};

// Until the first check has ended nothing is known, not even that no
// provider is there: every face shows loading then, never the empty state.
inline bool nothingKnownYet(const std::optional<QDateTime> &lastUpdated)
{
    return !lastUpdated.has_value();
}
