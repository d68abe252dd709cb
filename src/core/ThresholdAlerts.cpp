#include "core/ThresholdAlerts.h"

#include "core/Bands.h"

#include <algorithm>

using namespace Qt::StringLiterals;

ThresholdCheck checkThresholds(const QSet<int> &alreadyNotified, double maxUtilization, const QList<int> &thresholds)
{
    ThresholdCheck check{alreadyNotified, {}};
    for (int threshold : thresholds) {
        if (maxUtilization >= threshold && !check.notified.contains(threshold)) {
            check.notified.insert(threshold);
            check.crossed.append(threshold);
        }
    }
    if (!thresholds.isEmpty() && maxUtilization < *std::min_element(thresholds.cbegin(), thresholds.cend()))
        check.notified.clear();
    return check;
}

QString alertTitle(const QString &providerName)
{
    return providerName + u" Usage Alert"_s;
}

QString alertBody(double maxUtilization)
{
    return u"Usage is at "_s + percentText(maxUtilization);
}
