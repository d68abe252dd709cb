#include "presentation/TimeFormat.h"

#include <QCoreApplication>

using namespace Qt::StringLiterals;

QString formatTimeRemaining(const QDateTime &date, const QDateTime &now)
{
    const qint64 ms = now.msecsTo(date);
    if (ms <= 0)
        return QCoreApplication::translate("Common", "now");
    const qint64 s = ms / 1000; // truncated to whole seconds
    const qint64 hours = s / 3600;
    const qint64 minutes = (s - hours * 3600) / 60;
    if (s < 3600)
        return QCoreApplication::translate("Common", "in %1m").arg(minutes);
    if (s < 90000)
        return QCoreApplication::translate("Common", "in %1h %2m").arg(hours).arg(minutes);
    return QCoreApplication::translate("Common", "in %1d %2h").arg(hours / 24).arg(hours % 24);
}

namespace {

// The locale's short time without seconds, which some locales (C among them) include.
QString shortTime(const QTime &time, const QLocale &locale)
{
    QString format = locale.timeFormat(QLocale::ShortFormat);
    // ":ss", ":s", ".ss" or ".s"; by hand, as no regular expression engine need stay loaded for it.
    for (qsizetype i = 1; i < format.size(); ++i) {
        if (format.at(i) != u's' || (format.at(i - 1) != u':' && format.at(i - 1) != u'.'))
            continue;
        const qsizetype length = i + 1 < format.size() && format.at(i + 1) == u's' ? 3 : 2;
        format.remove(i - 1, length);
        i -= 1;
    }
    return locale.toString(time, format);
}

} // namespace

QString resetClockText(const QDateTime &reset, const QDateTime &now, const QTimeZone &givenZone, const QLocale &locale)
{
    // A TZ the system does not know gives no zone at all: UTC, and say so.
    const bool known = givenZone.isValid();
    const QTimeZone zone = known ? givenZone : QTimeZone::utc();
    const QDateTime local = reset.toTimeZone(zone);
    const qint64 days = now.toTimeZone(zone).date().daysTo(local.date());
    const QString time = shortTime(local.time(), locale) + (known ? QString() : u" UTC"_s);
    if (days == 0)
        return QCoreApplication::translate("Common", "at %1").arg(time);
    if (days > 0 && days < 7)
        return locale.dayName(local.date().dayOfWeek(), QLocale::ShortFormat) + u' ' + time;
    return dayAndMonth(local.date(), locale) + u", "_s + time;
}

QString dayAndMonth(const QDate &date, const QLocale &locale)
{
    const QString dateFormat = locale.dateFormat(QLocale::ShortFormat);
    const bool monthFirst = dateFormat.indexOf(u'M') < dateFormat.indexOf(u'd');
    return locale.toString(date, monthFirst ? u"MMM d"_s : u"d MMM"_s);
}
