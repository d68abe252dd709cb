#pragma once

#include <QByteArray>
#include <QDateTime>

#include <optional>

// The instant a "Retry-After" header names: a number of seconds from now or
// an HTTP date. Absent for 0, a moment already past, or anything else.
std::optional<QDateTime> retryAfterInstant(const QByteArray &value, const QDateTime &now);
