#include "core/ThresholdAlerts.h"

#include "core/Bands.h"

#include <QCoreApplication>

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
    return QCoreApplication::translate("Alerts", "%1 Usage Alert").arg(providerName);
}

QString alertBody(double maxUtilization)
{
    return QCoreApplication::translate("Alerts", "Usage is at %1").arg(percentText(maxUtilization));
}
