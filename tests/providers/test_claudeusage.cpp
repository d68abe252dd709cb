#include "ClaudeProvider.h"
#include "Rfc3339.h"

#include <QJsonDocument>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QJsonObject object(const QByteArray &json)
{
    return QJsonDocument::fromJson(json).object();
}

QDateTime utc(int y, int mo, int d, int h, int mi, int s, int ms = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC);
}

} // namespace

class TestClaudeUsage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void answersByStatus_data();
    void answersByStatus();
    void windowsInFixedOrder();
    void malformedWindowFieldsFallBack_data();
    void malformedWindowFieldsFallBack();
    void internetDateTimes_data();
    void internetDateTimes();
};

void TestClaudeUsage::answersByStatus_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("description"); // empty: success
    QTest::addColumn<int>("kind");            // index into FetchResult

    const QByteArray scope = R"({"error":{"type":"permission_error","message":"OAuth token lacks scope user:profile"}})"_ba;
    QTest::newRow("401 about a scope") << 401 << scope << u"Claude token missing required scope."_s << 1;
    QTest::newRow("403 about a scope") << 403 << scope << u"Claude token missing required scope."_s << 1;
    QTest::newRow("401 otherwise") << 401 << R"({"error":{"message":"expired"}})"_ba << u"Not logged in to Claude."_s
                                   << 1;
    QTest::newRow("401 with Scope capitalised") << 401 << R"({"error":{"message":"Scope"}})"_ba
                                                << u"Not logged in to Claude."_s << 1;
    QTest::newRow("401 with message not a string") << 401 << R"({"error":{"message":["scope"]}})"_ba
                                                   << u"Not logged in to Claude."_s << 1;
    QTest::newRow("403 without scope") << 403 << R"({"error":{"message":"forbidden"}})"_ba
                                       << u"API error (code: 403)"_s << 1;
    QTest::newRow("429 not JSON") << 429 << "slow down"_ba << u"API error (code: 429)"_s << 1;
    QTest::newRow("301") << 301 << QByteArray() << u"API error (code: 301)"_s << 1;
    QTest::newRow("200 empty object") << 200 << "{}"_ba << QString() << 0;
    QTest::newRow("200 array") << 200 << "[]"_ba << u"Invalid response from API"_s << 1;
    QTest::newRow("200 not JSON, the parser's own words") << 200 << "<html>"_ba << u"illegal value"_s << 3;
    QTest::newRow("200 invalid UTF-8") << 200 << "{\"a\":\"\xc0\x80\"}"_ba << u"invalid UTF8 string"_s << 3;
}

void TestClaudeUsage::answersByStatus()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QString, description);
    QFETCH(int, kind);
    const FetchResult result = claudeResultFor(status, body, u"Claude"_s);
    QCOMPARE(int(result.index()), kind);
    QCOMPARE(failureDescription(result), description);
}

void TestClaudeUsage::windowsInFixedOrder()
{
    const ProviderUsageResponse response = parseClaudeUsage(object(R"({
        "sonnet_only": {"utilization": 5, "resets_at": "2025-01-08T00:00:00Z"},
        "seven_day": {"utilization": 35.5, "resets_at": "2025-01-07T12:00:00.123456+00:00"},
        "five_hour": {"utilization": 92.25, "resets_at": "2025-01-01T15:30:00.5+02:00"},
        "seven_day_opus": {"utilization": 100}
    })"_ba));
    QCOMPARE(response.limits.size(), 3);
    QCOMPARE(response.limits[0].name, u"Session (5h)"_s);
    QCOMPARE(response.limits[0].utilization, 92.25);
    QCOMPARE(response.limits[0].resetTime, utc(2025, 1, 1, 13, 30, 0, 500));
    QCOMPARE(response.limits[1].name, u"Weekly (7d)"_s);
    QCOMPARE(response.limits[1].resetTime, utc(2025, 1, 7, 12, 0, 0, 123));
    QCOMPARE(response.limits[2].name, u"Sonnet"_s);
    QCOMPARE(response.limits[2].utilization, 5.0);

    const ProviderUsageResponse two = parseClaudeUsage(object(
        R"({"five_hour": {"utilization": 1}, "seven_day": {"utilization": 2}, "sonnet_only": null})"_ba));
    QCOMPARE(two.limits.size(), 2);
    QCOMPARE(two.limits[1].name, u"Weekly (7d)"_s);
}

void TestClaudeUsage::malformedWindowFieldsFallBack_data()
{
    QTest::addColumn<QByteArray>("window");
    QTest::addColumn<double>("utilization");
    QTest::addColumn<bool>("hasReset");

    QTest::newRow("integer utilization") << R"({"utilization": 45})"_ba << 45.0 << false;
    QTest::newRow("null utilization") << R"({"utilization": null})"_ba << 0.0 << false;
    QTest::newRow("string utilization") << R"({"utilization": "45"})"_ba << 0.0 << false;
    QTest::newRow("over 100 kept") << R"({"utilization": 120.5})"_ba << 120.5 << false;
    QTest::newRow("unparseable resets_at") << R"({"utilization": 3, "resets_at": "tomorrow"})"_ba << 3.0 << false;
    QTest::newRow("numeric resets_at") << R"({"utilization": 3, "resets_at": 1735693200})"_ba << 3.0 << false;
    QTest::newRow("empty window") << "{}"_ba << 0.0 << false;
}

void TestClaudeUsage::malformedWindowFieldsFallBack()
{
    QFETCH(QByteArray, window);
    QFETCH(double, utilization);
    QFETCH(bool, hasReset);
    const ProviderUsageResponse response = parseClaudeUsage(object("{\"five_hour\": "_ba + window + "}"_ba));
    QCOMPARE(response.limits.size(), 1);
    QCOMPARE(response.limits[0].utilization, utilization);
    QCOMPARE(response.limits[0].resetTime.has_value(), hasReset);
}

void TestClaudeUsage::internetDateTimes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDateTime>("expected"); // invalid: rejected

    QTest::newRow("Z") << u"2025-03-04T05:06:07Z"_s << utc(2025, 3, 4, 5, 6, 7);
    QTest::newRow("fraction, many digits") << u"2025-03-04T05:06:07.987654321Z"_s << utc(2025, 3, 4, 5, 6, 7, 987);
    QTest::newRow("one fractional digit") << u"2025-03-04T05:06:07.1Z"_s << utc(2025, 3, 4, 5, 6, 7, 100);
    QTest::newRow("negative offset") << u"2025-03-04T23:30:00-05:30"_s << utc(2025, 3, 5, 5, 0, 0);
    QTest::newRow("lower case t and z") << u"2025-03-04t05:06:07z"_s << utc(2025, 3, 4, 5, 6, 7);
    QTest::newRow("leap day") << u"2024-02-29T00:00:00Z"_s << utc(2024, 2, 29, 0, 0, 0);
    QTest::newRow("leap second") << u"2016-12-31T23:59:60Z"_s << utc(2017, 1, 1, 0, 0, 0);
    QTest::newRow("no zone") << u"2025-03-04T05:06:07"_s << QDateTime();
    QTest::newRow("offset without colon") << u"2025-03-04T05:06:07+0100"_s << QDateTime();
    QTest::newRow("space instead of T") << u"2025-03-04 05:06:07Z"_s << QDateTime();
    QTest::newRow("no seconds") << u"2025-03-04T05:06Z"_s << QDateTime();
    QTest::newRow("empty fraction") << u"2025-03-04T05:06:07.Z"_s << QDateTime();
    QTest::newRow("not a leap year") << u"2025-02-29T00:00:00Z"_s << QDateTime();
    QTest::newRow("hour 24") << u"2025-03-04T24:00:00Z"_s << QDateTime();
    QTest::newRow("offset hour 24") << u"2025-03-04T05:06:07+24:00"_s << QDateTime();
    QTest::newRow("trailing space") << u"2025-03-04T05:06:07Z "_s << QDateTime();
    QTest::newRow("date only") << u"2025-03-04"_s << QDateTime();
    QTest::newRow("non-ASCII digit") << u"2025-03-04T05:06:0\u0667Z"_s << QDateTime();
    QTest::newRow("empty") << QString() << QDateTime();
}

void TestClaudeUsage::internetDateTimes()
{
    QFETCH(QString, text);
    QFETCH(QDateTime, expected);
    const std::optional<QDateTime> parsed = parseRfc3339(text);
    QCOMPARE(parsed.has_value(), expected.isValid());
    if (parsed) {
        QCOMPARE(*parsed, expected);
        QCOMPARE(parsed->timeSpec(), Qt::UTC);
    }
}

QTEST_GUILESS_MAIN(TestClaudeUsage)
#include "test_claudeusage.moc"
