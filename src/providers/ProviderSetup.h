#pragma once

#include "core/Accounts.h"
#include "core/UsageManager.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

// The providers the application fetches, and what they need to stay alive.
struct ProviderSetup
{
    ProviderList providers;
    // Set only for the demo: the in-process service the providers talk to.
    std::unique_ptr<QObject> demoService;
    // The providers of the extra accounts the settings list, at the same
    // endpoints as the default ones; they follow the providers in the list.
    std::function<ProviderList(const QList<ExtraAccount> &accounts)> accounts;
};

// Whether a replacement endpoint may receive a token: https anywhere, plain
// http only to this machine (127.0.0.0/8, ::1, localhost). No user info.
bool isAcceptableEndpoint(const QUrl &url);

// The endpoint given in the environment variable. Absent when the variable
// is unset or empty; absent with *error set when its value is not acceptable.
std::optional<QUrl> endpointOverride(const char *variable, QString *error);

// The endpoint overrides in effect (QUOTIX_<ID>_USAGE_URL), by provider id.
using EndpointOverrides = QHash<QString, QUrl>;
// Absent with *error set when any variable holds an unacceptable value.
std::optional<EndpointOverrides> endpointOverrides(QString *error);

// One line per endpoint override in effect, with the URL as given:
// "quotix: Claude usage from http://127.0.0.1:8080/… (QUOTIX_CLAUDE_USAGE_URL)".
QStringList endpointOverrideNotices();
