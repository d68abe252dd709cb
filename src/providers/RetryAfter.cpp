#include "providers/RetryAfter.h"

#include <QLocale>
#include <QTimeZone>

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
    // The preferred form and the two obsolete ones that HTTP still accepts.
    const QString date = QString::fromLatin1(text);
    const QLocale c = QLocale::c();
    for (const QString &format : {u"ddd, dd MMM yyyy HH:mm:ss 'GMT'"_s, u"dddd, dd-MMM-yy HH:mm:ss 'GMT'"_s,
                                  u"ddd MMM d HH:mm:ss yyyy"_s}) {
        QDateTime instant = c.toDateTime(date, format);
        if (!instant.isValid())
            continue;
        if (instant.date().year() < 1970)
            instant = instant.addYears(100);
        instant.setTimeZone(QTimeZone::utc());
        if (instant <= now)
            return std::nullopt;
        return instant;
    }
    return std::nullopt;
}
