#include "providers/ExpiredLogin.h"

using namespace Qt::StringLiterals;

QString expiredLoginDetail(const QDateTime &expiredAt, const QDateTime &now, const QString &renewal)
{
    const qint64 minutes = expiredAt.secsTo(now) / 60;
    QString ago;
    if (minutes < 1)
        ago = u"less than a minute ago"_s;
    else if (minutes < 60)
        ago = u"%1 min ago"_s.arg(minutes);
    else if (minutes < 48 * 60)
        ago = u"%1 h ago"_s.arg(minutes / 60);
    else
        ago = u"%1 days ago"_s.arg(minutes / (24 * 60));
    return u"The saved login expired %1. %2"_s.arg(ago, renewal);
}
