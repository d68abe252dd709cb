#include "providers/ClaudeProvider.h"
#include "providers/Rfc3339.h"

#include <QJsonDocument>
#include <QTest>

using namespace Qt::StringLiterals;

class TestClaudeUsage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void answersByStatus_data();
    void answersByStatus();
    void windows_data();
    void windows();
    void internetDateTimes_data();
    void internetDateTimes();
};

void TestClaudeUsage::answersByStatus_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("description"); // empty: success

    const QByteArray scope = R"({"error":{"type":"permission_error","message":"token lacks scope user:profile"}})"_ba;
    const QString notLoggedIn = u"Not logged in to Claude."_s;
    QTest::newRow("401 about a scope") << 401 << scope << u"Claude token missing required scope."_s;
    QTest::newRow("401 with Scope capitalised") << 401 << R"({"error":{"message":"Scope"}})"_ba << notLoggedIn;
    QTest::newRow("403 without scope") << 403 << R"({"error":{"message":"no"}})"_ba << u"API error (code: 403)"_s;
    QTest::newRow("200 empty object") << 200 << "{}"_ba << QString();
    QTest::newRow("200 array") << 200 << "[]"_ba << u"Invalid response from API"_s;
    QTest::newRow("200 not JSON, the parser's own words") << 200 << "<html>"_ba << u"illegal value"_s;
    QTest::newRow("200 invalid UTF-8") << 200 << "{\"a\":\"\xc0\x80\"}"_ba << u"invalid UTF8 string"_s;
}

void TestClaudeUsage::answersByStatus()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QString, description);
    QCOMPARE(failureDescription(claudeResultFor(status, body, u"Claude"_s)), description);
}

void TestClaudeUsage::windows_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QStringList>("limits"); // name, utilization, reset time or "-"

    QTest::newRow("fixed order, over 100 kept")
        << R"({"sonnet_only": {"utilization": 105.5}, "seven_day_opus": {"utilization": 100},
              "seven_day": {"utilization": 35.5, "resets_at": "2025-01-07T12:00:00.123456+00:00"},
              "five_hour": {"utilization": 92.25, "resets_at": "2025-01-01T15:30:00.5+02:00"}})"_ba
        << QStringList{u"Session (5h) 92.25 2025-01-01T13:30:00.500Z"_s, u"Weekly (7d) 35.5 2025-01-07T12:00:00.123Z"_s,
                       u"Sonnet 105.5 -"_s, u"Opus 100 -"_s};
    QTest::newRow("malformed members fall back")
        << R"({"five_hour": {"utilization": null, "resets_at": 1735693200}, "seven_day": null,
              "sonnet_only": {"utilization": "45", "resets_at": "tomorrow"}})"_ba
        << QStringList{u"Session (5h) 0 -"_s, u"Sonnet 0 -"_s};
}

void TestClaudeUsage::windows()
{
    QFETCH(QByteArray, json);
    QFETCH(QStringList, limits);
    QStringList found;
    for (const UsageLimit &limit : parseClaudeUsage(QJsonDocument::fromJson(json).object()).limits) {
        found.append(limit.name + u' ' + QString::number(limit.utilization) + u' '
                     + (limit.resetTime ? limit.resetTime->toString(Qt::ISODateWithMs) : u"-"_s));
    }
    QCOMPARE(found, limits);
}

void TestClaudeUsage::internetDateTimes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected"); // in UTC; empty: rejected

    QTest::newRow("Z") << u"2025-03-04T05:06:07Z"_s << u"2025-03-04T05:06:07.000Z"_s;
    QTest::newRow("many digits") << u"2025-03-04T05:06:07.987654321Z"_s << u"2025-03-04T05:06:07.987Z"_s;
    QTest::newRow("negative offset") << u"2025-03-04T23:30:00-05:30"_s << u"2025-03-05T05:00:00.000Z"_s;
    QTest::newRow("lower case t and z") << u"2025-03-04t05:06:07z"_s << u"2025-03-04T05:06:07.000Z"_s;
    QTest::newRow("leap second") << u"2016-12-31T23:59:60Z"_s << u"2017-01-01T00:00:00.000Z"_s;
    for (const QString &bad : {u"2025-03-04T05:06:07"_s, u"2025-03-04T05:06:07+0100"_s, u"2025-03-04 05:06:07Z"_s,
                               u"2025-03-04T05:06Z"_s, u"2025-03-04T05:06:07.Z"_s, u"2025-02-29T00:00:00Z"_s,
                               u"2025-03-04T24:00:00Z"_s, u"2025-03-04T05:06:07Z "_s, u"2025-03-04T05:06:0\u0667Z"_s})
        QTest::addRow("rejects \"%s\"", qPrintable(bad)) << bad << QString();
}

void TestClaudeUsage::internetDateTimes()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    const std::optional<QDateTime> parsed = parseRfc3339(text);
    QCOMPARE(parsed ? parsed->toString(Qt::ISODateWithMs) : QString(), expected);
}

QTEST_GUILESS_MAIN(TestClaudeUsage)
#include "test_claudeusage.moc"
