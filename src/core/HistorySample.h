#pragma once

#include "core/UsageModel.h"

#include <QDateTime>
#include <QString>

#include <optional>

// One stored reading of one limit. Consecutive checks that saw the same
// figures share one sample: `time` is the first of them, `until` the last.
struct HistorySample
{
    QString provider; // the provider's id
    QString limit;    // the limit's name, as the provider labels it
    LimitKind kind = LimitKind::Other;
    std::optional<qint64> windowSeconds;
    double utilization = 0.0; // NaN when the service sent no finite number
    std::optional<QDateTime> resetTime;
    QDateTime time;
    QDateTime until;
};
