#pragma once

#include "core/TranslatableText.h"

// Shown by every face when no provider has credentials.
inline constexpr TranslatableText EmptyStateMessage{
    "Common", QT_TRANSLATE_NOOP("Common", "No providers configured.\nRun 'claude' or 'codex' in Terminal to log in.")};

// Shown by every face while the first check is under way.
inline constexpr TranslatableText LoadingText{"Common", QT_TRANSLATE_NOOP("Common", "Loading...")};
