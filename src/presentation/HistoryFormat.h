#pragma once

#include "core/HistorySample.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

// What `quotix history` prints. Samples come as the store gives them: by
// provider, limit and time; each holds the figures of one or more checks in a
// row, from `time` to `until`.

// RFC 4180: a header row, then one row per sample, CRLF line ends, fields
// quoted where they hold a comma, a quote or a line break. Times are UTC ISO
// 8601; a percentage that is not finite and an absent value are empty.
QByteArray historyCsv(const QList<HistorySample> &samples);

// One compact JSON object per line and sample; absent values and percentages
// that are not finite are null.
QByteArray historyJsonLines(const QList<HistorySample> &samples);

// Eight block heights for 0…100 % (clamped); a space where nothing was recorded.
QString sparkline(const QList<std::optional<double>> &levels);

// The highest percentage seen in each of columns equal slices of [from, to);
// absent for a slice no sample covers.
QList<std::optional<double>> historyColumns(const QList<HistorySample> &samples, const QDateTime &from,
                                            const QDateTime &to, int columns);

// The compact view: per limit one line with its provider, name, a sparkline
// of the period, the latest and the highest percentage.
QString historyText(const QList<HistorySample> &samples, const QDateTime &from, const QDateTime &to, int columns = 42);

// The known provider's name ("Claude" for "claude"), the id itself otherwise.
QString providerDisplayName(const QString &providerId);
