#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTimeZone>

// "now", "in 12m", "in 3h 5m" or "in 2d 7h": the time from now until date.
QString formatTimeRemaining(const QDateTime &date, const QDateTime &now = QDateTime::currentDateTimeUtc());

// "Jul 15" or "15 Jul": month and day in the order the locale writes its dates.
QString dayAndMonth(const QDate &date, const QLocale &locale);

// The moment of a reset as a clock time in the zone and the locale's words and
// order: "at 14:30" on the day of now, "Thu 23:55" within the next six days,
// "Jul 15, 09:00" (or "15 Jul, 09:00") later or earlier. An invalid zone (an
// unknown TZ) shows UTC and says so: "at 14:30 UTC".
QString resetClockText(const QDateTime &reset, const QDateTime &now,
                       const QTimeZone &zone = QTimeZone::systemTimeZone(), const QLocale &locale = QLocale());
