#pragma once

#include "core/HistorySample.h"
#include "core/UsageModel.h"

#include <QDateTime>
#include <QList>
#include <QString>

namespace DemoData {

// A made-up record of the last `days` days for one provider's limits, ending
// in their present figures: use in bursts through each window, week-long
// windows back to back, a five-hour window twice on each working day, and
// now and then a limit used up before its reset. The same answer for the
// same arguments.
QList<HistorySample> history(const QString &providerId, const QList<UsageLimit> &limits, const QDateTime &now,
                             int days);

} // namespace DemoData
