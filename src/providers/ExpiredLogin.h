#pragma once

#include <QDateTime>
#include <QString>

// The line under "Not logged in" when the stored login has run out, e.g.
// "The saved login expired 3 h ago. Run codex once to renew it."
QString expiredLoginDetail(const QDateTime &expiredAt, const QDateTime &now, const QString &renewal);
