#pragma once

#include "UsageManager.h"
#include "UsageService.h"

#include <QString>
#include <QUrl>

#include <memory>
#include <optional>

// The providers the application fetches, and what they need to stay alive.
struct ProviderSetup
{
    ProviderList providers;
    // Set only for the demo: the in-process service the providers talk to.
    std::unique_ptr<UsageService> demoService;
};

// The environment variables that replace the usage endpoints (the full URL).
inline constexpr char ClaudeUsageUrlVariable[] = "QUOTIX_CLAUDE_USAGE_URL";
inline constexpr char CodexUsageUrlVariable[] = "QUOTIX_CODEX_USAGE_URL";

// Whether a replacement endpoint may receive a token: https anywhere, plain
// http only to this machine (127.0.0.0/8, ::1, localhost). No user info.
bool isAcceptableEndpoint(const QUrl &url);

// The endpoint given in the environment variable. Absent when the variable
// is unset or empty; absent with *error set when its value is not acceptable.
std::optional<QUrl> endpointOverride(const char *variable, QString *error);

// Normal: both providers with the platform's credential store, at their
// endpoints or the overrides. Demo: both providers talk to a substitute
// service inside this process with demo tokens; the user's own credentials
// are neither read nor sent. The overrides are checked first in either case.
// Absent with *error set when the configuration is invalid. Needs a running
// QCoreApplication for the demo.
std::optional<ProviderSetup> makeProviderSetup(bool demo, QString *error);
