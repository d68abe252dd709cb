#pragma once

#include <QList>
#include <QSet>
#include <QString>

// One threshold check of one provider: the thresholds already announced
// before, the new highest utilisation, and what follows from them.
struct ThresholdCheck
{
    QSet<int> notified; // to be stored for the provider
    QList<int> crossed; // thresholds to announce now, in list order
};

ThresholdCheck checkThresholds(const QSet<int> &alreadyNotified, double maxUtilization, const QList<int> &thresholds);

QString alertTitle(const QString &providerName);
QString alertBody(double maxUtilization);
