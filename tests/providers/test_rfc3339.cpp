#include "providers/Rfc3339.h"
#include "support/DataRows.h"

#include <QTest>

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
};

QTEST_GUILESS_MAIN(TestRfc3339)
#include "test_rfc3339.moc"
