#include "providers/RetryAfter.h"

#include <QLocale>

#include <algorithm>

using namespace Qt::StringLiterals;

std::optional<QDateTime> retryAfterInstant(const QByteArray &value, const QDateTime &now)
{
    const QByteArray text = value.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    if (std::all_of(text.cbegin(), text.cend(), [](char c) { return c >= '0' && c <= '9'; })) {
        bool ok = false;
        const qint64 seconds = text.size() <= 12 ? text.toLongLong(&ok) : 0;
        if (!ok || seconds <= 0)
            return std::nullopt;
        return now.addSecs(seconds);
    }
    // The preferred form and the two obsolete ones that HTTP still accepts,
    // without the weekday: it would have to match the 19xx year that "yy"
    // reads as. asctime pads its day with a space and names no zone (it is
    // GMT too). The zone is read with the rest, so the time is never taken
    // as the local clock's, in whose spring gap it would not exist.
    const QString date = QString::fromLatin1(text).simplified();
    const qsizetype comma = date.indexOf(u',');
    const QString fields = comma >= 0 ? date.mid(comma + 1).trimmed() : date.section(u' ', 1) + u" GMT"_s;
    const QLocale c = QLocale::c();
    for (const QString &format :
         {u"dd MMM yyyy HH:mm:ss t"_s, u"dd-MMM-yy HH:mm:ss t"_s, u"MMM d HH:mm:ss yyyy t"_s}) {
        QDateTime instant = c.toDateTime(fields, format);
        if (!instant.isValid())
            continue;
        if (instant.date().year() < 1970)
            instant = instant.addYears(100);
        instant = instant.toUTC();
        if (instant <= now)
            return std::nullopt;
        return instant;
    }
    return std::nullopt;
}
