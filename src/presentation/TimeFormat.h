#pragma once

#include <QDateTime>
#include <QString>

// "now", "in 12m", "in 3h 5m" or "in 2d 7h": the time from now until date.
QString formatTimeRemaining(const QDateTime &date, const QDateTime &now = QDateTime::currentDateTimeUtc());
