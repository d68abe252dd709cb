#pragma once

#include "core/FetchJob.h"

#include <QByteArray>
#include <QString>

#include <optional>

// FetchResult as one line of JSON, so that an attempt can run in another
// process: every variant and field goes across, and decoding the encoding
// gives an equal result. The line carries no token.
namespace FetchResultWire {

// The longest line the decoder takes; an answer is a few kilobytes.
inline constexpr qsizetype MaxLineBytes = 4 * 1024 * 1024;

// Compact JSON ending in one '\n'.
QByteArray encode(const FetchResult &result);

// Strict: one JSON object (a trailing '\n' allowed) with exactly the keys
// encode() writes, of their types, and only what a provider makes (a valid
// time, a limit with a name, an error that says something). Absent with
// *error set otherwise.
std::optional<FetchResult> decode(const QByteArray &line, QString *error);

} // namespace FetchResultWire
