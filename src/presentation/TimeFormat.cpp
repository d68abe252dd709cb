#include "presentation/TimeFormat.h"


using namespace Qt::StringLiterals;

QString formatTimeRemaining(const QDateTime &date, const QDateTime &now)
{
    const qint64 ms = now.msecsTo(date);
    if (ms <= 0)
        return u"now"_s;
    const qint64 s = ms / 1000; // truncated to whole seconds
    const qint64 hours = s / 3600;
    const qint64 minutes = (s - hours * 3600) / 60;
    if (s < 3600)
        return u"in %1m"_s.arg(minutes);
    if (s < 90000)
        return u"in %1h %2m"_s.arg(hours).arg(minutes);
    return u"in %1d %2h"_s.arg(hours / 24).arg(hours % 24);
}
