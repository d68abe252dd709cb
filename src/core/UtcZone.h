#pragma once

#include <QDateTime>
#include <QTimeZone>

// UTC for QDateTime's constructors and fromSecsSinceEpoch/fromMSecsSinceEpoch.
// Qt 6.5 added QTimeZone::UTC and Qt 6.8 warns about the Qt::TimeSpec forms,
// the only ones Qt 6.4 has.
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
inline QTimeZone utcZone()
{
    return QTimeZone(QTimeZone::UTC);
}
#else
inline Qt::TimeSpec utcZone()
{
    return Qt::UTC;
}
#endif
