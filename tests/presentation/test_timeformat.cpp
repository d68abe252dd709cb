// A reset as a clock time: the calendar day is the zone's, the words and the
// order are the locale's.
#include "presentation/TimeFormat.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestTimeFormat : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void resetAsClockTime_data()
    {
        QTest::addColumn<QString>("reset"); // UTC
        QTest::addColumn<int>("offsetHours");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("shown");
        // Now is Sunday 6 December 2026, 14:00 UTC.
        QTest::newRow("later today") << u"2026-12-06T14:30:00Z"_s << 0 << u"en_GB"_s << u"at 14:30"_s;
        QTest::newRow("already past today") << u"2026-12-06T09:15:00Z"_s << 0 << u"en_GB"_s << u"at 09:15"_s;
        QTest::newRow("tomorrow") << u"2026-12-07T00:05:00Z"_s << 0 << u"en_GB"_s << u"Mon 00:05"_s;
        QTest::newRow("six days on") << u"2026-12-12T23:55:00Z"_s << 0 << u"en_GB"_s << u"Sat 23:55"_s;
        QTest::newRow("a week on: the date") << u"2026-12-13T09:00:00Z"_s << 0 << u"en_GB"_s << u"13 Dec, 09:00"_s;
        QTest::newRow("month first, twelve hours")
            << u"2027-07-15T09:00:00Z"_s << 0 << u"en_US"_s << u"Jul 15, 9:00 AM"_s;
        QTest::newRow("no seconds in C") << u"2026-12-06T18:59:59Z"_s << 0 << u"C"_s << u"at 18:59"_s;
        // 22:30 UTC is already Monday two hours east, while it is still Sunday there at 16:00.
        QTest::newRow("the zone's day") << u"2026-12-06T22:30:00Z"_s << 2 << u"en_GB"_s << u"Mon 00:30"_s;
        QTest::newRow("yesterday in the zone") << u"2026-12-06T01:00:00Z"_s << -2 << u"en_GB"_s << u"5 Dec, 23:00"_s;
    }
    void resetAsClockTime()
    {
        QFETCH(QString, reset);
        QFETCH(int, offsetHours);
        QFETCH(QString, locale);
        QFETCH(QString, shown);
        const QDateTime now = QDateTime::fromString(u"2026-12-06T14:00:00Z"_s, Qt::ISODate);
        QCOMPARE(resetClockText(QDateTime::fromString(reset, Qt::ISODate), now, QTimeZone(offsetHours * 3600),
                                QLocale(locale)),
                 shown);
    }
};

QTEST_GUILESS_MAIN(TestTimeFormat)
#include "test_timeformat.moc"
