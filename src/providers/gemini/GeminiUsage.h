#pragma once

#include "core/FetchJob.h"
#include "providers/CredentialParsing.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>

// Gemini CLI's quota buckets, the project they belong to, and the login the
// tool stores. Decode-only.

// What a retrieveUserQuota answer with this status and body means: a row per
// bucket, named by its model, used = 1 − remainingFraction (as a percentage),
// reset at resetTime. 401: not logged in; 403: missing access; any other: API error.
FetchResult geminiResultFor(int status, const QByteArray &body, const QString &providerName);

// The project of a loadCodeAssist answer: "cloudaicompanionProject" as a
// string, or as an object's "id". Absent when the answer names none.
std::optional<QString> geminiProjectFrom(const QByteArray &body);

// loadCodeAssist beside retrieveUserQuota on the same service.
QUrl geminiProjectEndpoint(const QUrl &quotaEndpoint);

// ~/.gemini/oauth_creds.json: "access_token", and "expiry_date" in
// milliseconds since 1970 where it is given.
std::optional<StoredLogin> geminiLoginFromFile(const QByteArray &contents);
