#pragma once

#include "core/FetchJob.h"
#include "providers/CredentialParsing.h"

#include <QByteArray>
#include <QString>

#include <optional>

// GitHub Copilot's answer about the user's quotas, and the login its editor
// plug-ins store. Decode-only.

// What a Copilot answer with this status and body means: a "Premium
// requests" row (used = 100 − percent_remaining, reset at
// quota_reset_date_utc, monthly), "Chat" and "Completions" rows only when
// they are limited; an unlimited snapshot is named in usage.unlimited, never
// a row. 401: not logged in; 403: missing access; any other: API error.
FetchResult copilotResultFor(int status, const QByteArray &body, const QString &providerName);

// apps.json or the older hosts.json of ~/.config/github-copilot: an object
// of hosts ("github.com", "github.com:<app id>"), each with "oauth_token".
// The first github.com entry with a non-empty token, by sorted key.
std::optional<StoredLogin> copilotLoginFromFile(const QByteArray &contents);
