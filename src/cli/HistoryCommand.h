#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

// "7d", "36h", "90m", "2w", or an ISO 8601 date or date and time: the start of
// the period before now. Absent when the text is none of these.
std::optional<QDateTime> parseSince(const QString &text, const QDateTime &now);

// quotix history [--since WHEN] [--provider ID] [--limit NAME] [--json | --csv] [--demo]
int runHistoryCommand(int argc, char **argv);
