#pragma once

#include "core/FetchJob.h"

#include <QByteArray>
#include <QJsonObject>

// What a Claude usage answer with this status and body means.
FetchResult claudeResultFor(int status, const QByteArray &body, const QString &providerName);
// The windows of a 200 answer; missing or malformed members are skipped or
// fall back, never fail.
ProviderUsageResponse parseClaudeUsage(const QJsonObject &object);
