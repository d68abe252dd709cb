#pragma once

#include "core/TranslatableText.h"

#include <QDateTime>

#include <optional>

// Shown by every face when no provider has credentials.
inline constexpr TranslatableText EmptyStateMessage{
    "Common", QT_TRANSLATE_NOOP("Common", "No providers configured.\nRun 'claude' or 'codex' in Terminal to log in.")};

// Shown by every face while the first check is under way.
inline constexpr TranslatableText LoadingText{"Common", QT_TRANSLATE_NOOP("Common", "Loading...")};

// Until the first check has ended nothing is known, not even that no
// provider is there: every face shows loading then, never the empty state.
inline bool nothingKnownYet(const std::optional<QDateTime> &lastUpdated)
{
    return !lastUpdated.has_value();
}
