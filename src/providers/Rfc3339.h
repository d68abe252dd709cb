#pragma once

#include <QDateTime>
#include <QStringView>

#include <optional>

// An RFC 3339 internet date-time, nothing looser: "YYYY-MM-DDTHH:MM:SS",
// optionally ".fraction" (one or more digits, kept to the millisecond), then
// "Z" or "+hh:mm" / "-hh:mm". The result is in UTC.
std::optional<QDateTime> parseRfc3339(QStringView text);
