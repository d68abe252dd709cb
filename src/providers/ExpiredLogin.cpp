#include "providers/ExpiredLogin.h"

#include <QCoreApplication>

using namespace Qt::StringLiterals;

QString expiredLoginDetail(const QDateTime &expiredAt, const QDateTime &now, const QString &renewal)
{
    const qint64 minutes = expiredAt.secsTo(now) / 60;
    QString ago;
    if (minutes < 1)
        ago = QCoreApplication::translate("Common", "less than a minute ago");
    else if (minutes < 60)
        ago = QCoreApplication::translate("Common", "%1 min ago").arg(minutes);
    else if (minutes < 48 * 60)
        ago = QCoreApplication::translate("Common", "%1 h ago").arg(minutes / 60);
    else
        ago = QCoreApplication::translate("Common", "%1 days ago").arg(minutes / (24 * 60));
    return QCoreApplication::translate("Common", "The saved login expired %1. %2").arg(ago, renewal);
}
