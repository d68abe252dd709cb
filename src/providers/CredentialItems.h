#pragma once

#include <QLatin1StringView>

// The names under which the command-line tools store their logins, as
// keychain items (the item's service attribute).
inline constexpr QLatin1StringView ClaudeCredentialsItem{"Claude Code-credentials"};
// Older versions of Claude Code used this name; tried second.
inline constexpr QLatin1StringView ClaudeLegacyItem{"Claude Code"};
inline constexpr QLatin1StringView CodexAuthItem{"Codex Auth"};
