#pragma once

#include "core/TranslatableText.h"

#include <QLatin1StringView>

#include <chrono>

// How long a start from autostart waits for the desktop's tray to appear.
inline constexpr std::chrono::milliseconds TrayHostPatience{10'000};
inline constexpr std::chrono::milliseconds TrayHostPollInterval{250};
// After that, how often to look for a tray that gives no sign of arriving.
inline constexpr std::chrono::milliseconds TrayHostSlowPollInterval{10'000};

namespace TrayApplicationText {
inline constexpr TranslatableText AlreadyRunning{
    "Tray", QT_TRANSLATE_NOOP("Tray", "Quotix is already running: look for its icon in the system tray.")};
inline constexpr QLatin1StringView Description{
    "Shows how much of your Claude and ChatGPT (Codex) subscription limits you have used, in the system tray.\n"
    "Other commands: \"quotix status\" prints the usage; \"quotix history\" prints the recorded usage; \"quotix screenshot [--demo] DIR\" saves pictures of the tray "
    "item and the panel."};
} // namespace TrayApplicationText

// Runs the tray application to its exit status.
int runTrayApplication(int argc, char **argv);
