#include "providers/RetryAfter.h"
#include "providers/Rfc3339.h"
#include "support/DataRows.h"

#include <QTest>

#include <ctime>

using namespace Qt::StringLiterals;

// The reset instants of Claude's answers; the common forms come with the
// answers in test_providershttp.
class TestRfc3339 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void internetDateTimes_data()
    {
        // expected: in UTC, empty when rejected
        addColumns<QString, QString>("text", "expected");

        QTest::newRow("negative offset") << u"2025-03-04T23:30:00-05:30"_s << u"2025-03-05T05:00:00.000Z"_s;
        QTest::newRow("lower case t and z") << u"2025-03-04t05:06:07z"_s << u"2025-03-04T05:06:07.000Z"_s;
        QTest::newRow("leap second") << u"2016-12-31T23:59:60Z"_s << u"2017-01-01T00:00:00.000Z"_s;
        for (const QString &bad :
             {u"2025-03-04T05:06:07"_s, u"2025-03-04T05:06:07+0100"_s, u"2025-03-04 05:06:07Z"_s,
              u"2025-03-04T05:06Z"_s, u"2025-03-04T05:06:07.Z"_s, u"2025-02-29T00:00:00Z"_s, u"2025-03-04T24:00:00Z"_s,
              u"2025-03-04T05:06:07Z "_s, u"2025-03-04T05:06:0\u0667Z"_s})
            QTest::addRow("rejects \"%s\"", qPrintable(bad)) << bad << QString();
    }

    void internetDateTimes()
    {
        const auto [text, expected] = fetchRow<QString, QString>("text", "expected");
        const std::optional<QDateTime> parsed = parseRfc3339(text);
        QCOMPARE(parsed ? parsed->toString(Qt::ISODateWithMs) : QString(), expected);
    }

    // Retry-After dates in the obsolete forms HTTP accepts, and one the local
    // clock skips (zone: the TZ to read it in).
    void retryAfterDates_data()
    {
        addColumns<QByteArray, QByteArray, QString>("header", "zone", "expected");
        QTest::newRow("RFC 850") << "Sunday, 29-Mar-26 12:30:00 GMT"_ba << QByteArray() << u"2026-03-29T12:30:00.000Z"_s;
        QTest::newRow("asctime, one-digit day") << "Mon Mar  9 12:30:00 2026"_ba << QByteArray()
                                                << u"2026-03-09T12:30:00.000Z"_s;
        QTest::newRow("in the local spring gap")
            << "Sun, 29 Mar 2026 02:30:00 GMT"_ba << "Europe/Berlin"_ba << u"2026-03-29T02:30:00.000Z"_s;
    }

    void retryAfterDates()
    {
        const auto [header, zone, expected] = fetchRow<QByteArray, QByteArray, QString>("header", "zone", "expected");
        const QByteArray before = qgetenv("TZ");
        const auto setZone = [](const QByteArray &tz) {
            tz.isNull() ? qunsetenv("TZ") : qputenv("TZ", tz);
            tzset();
        };
        if (!zone.isEmpty())
            setZone(zone);
        const auto instant = retryAfterInstant(header, QDateTime::fromString(u"2026-03-01T00:00:00Z"_s, Qt::ISODate));
        if (!zone.isEmpty())
            setZone(before);
        QCOMPARE(instant ? instant->toString(Qt::ISODateWithMs) : QString(), expected);
    }
};

QTEST_GUILESS_MAIN(TestRfc3339)
#include "test_rfc3339.moc"
