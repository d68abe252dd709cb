#pragma once

#include <QObject>

// Announces that the system has woken from sleep. This base never announces
// anything: it stands in where the platform has no wake signal to offer.
class WakeMonitor : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

Q_SIGNALS:
    void woke();
};
