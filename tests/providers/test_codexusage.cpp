#include "CodexProvider.h"
#include "CodexUsage.h"

#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QByteArray fixture(const QString &name)
{
    QFile file(QStringLiteral(QUOTIX_TEST_DATA "/providers/codex/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", qPrintable(name));
    return file.readAll();
}

CodexUsageResponse decoded(const QByteArray &json)
{
    auto result = decodeCodexUsage(json);
    if (const QString *error = std::get_if<QString>(&result))
        qFatal("unexpected decoding error: %s", qPrintable(*error));
    return std::get<CodexUsageResponse>(result);
}

} // namespace

class TestCodexUsage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fullDocumentDecodesEveryField();
    void documentsThatDecode_data();
    void documentsThatDecode();
    void documentsThatMustNotDecode_data();
    void documentsThatMustNotDecode();
    void windowsBecomeNamedLimits();
    void resetTimesOutsideTheCalendarStayListed();
    void answersByStatus_data();
    void answersByStatus();
};

void TestCodexUsage::fullDocumentDecodesEveryField()
{
    const CodexUsageResponse usage = decoded(fixture(u"full.json"_s));
    QCOMPARE(usage.planType, u"plus"_s);
    QCOMPARE(usage.rateLimit.allowed, true);
    QCOMPARE(usage.rateLimit.limitReached, false);
    QVERIFY(usage.rateLimit.primaryWindow);
    QCOMPARE(usage.rateLimit.primaryWindow->usedPercent, 42.5);
    QCOMPARE(usage.rateLimit.primaryWindow->limitWindowSeconds, 18000);
    QCOMPARE(usage.rateLimit.primaryWindow->resetAfterSeconds, 3600);
    QCOMPARE(usage.rateLimit.primaryWindow->resetAt, 1735693200);
    QCOMPARE(usage.rateLimit.secondaryWindow->usedPercent, 17.0);
    QVERIFY(usage.codeReviewRateLimit);
    QCOMPARE(usage.codeReviewRateLimit->limitReached, std::nullopt);
    QCOMPARE(usage.codeReviewRateLimit->primaryWindow->resetAt, 0);
    QVERIFY(usage.credits);
    QCOMPARE(usage.credits->hasCredits, false);
    QCOMPARE(usage.credits->balance, u"0"_s);
}

void TestCodexUsage::documentsThatDecode_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("windows"); // primary, secondary, code review primary as bits 1, 2, 4

    QTest::newRow("only an empty rate_limit") << u"minimal.json"_s << 0;
    QTest::newRow("integral numbers, 12 and 1735693200.0") << u"integral_numbers.json"_s << 1;
    QTest::newRow("balance null is absent") << u"balance_null.json"_s << 0;
    QTest::newRow("allowed true") << u"allowed_true.json"_s << 0;
    QTest::newRow("secondary_window null") << u"secondary_null.json"_s << 1;
    QTest::newRow("code review without primary window") << u"code_review_without_primary.json"_s << 0;
    QTest::newRow("extra members everywhere") << u"full.json"_s << 7;
}

void TestCodexUsage::documentsThatDecode()
{
    QFETCH(QString, file);
    QFETCH(int, windows);
    const CodexUsageResponse usage = decoded(fixture(file));
    const int found = (usage.rateLimit.primaryWindow ? 1 : 0) | (usage.rateLimit.secondaryWindow ? 2 : 0)
        | (usage.codeReviewRateLimit && usage.codeReviewRateLimit->primaryWindow ? 4 : 0);
    QCOMPARE(found, windows);
    QCOMPARE(codexUsageToResponse(usage).limits.size(), qPopulationCount(quint32(windows)));
}

void TestCodexUsage::documentsThatMustNotDecode_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<QString>("error");

    const QString window = u"'rate_limit.primary_window"_s;
    QTest::newRow("no rate_limit, though code review is there")
        << fixture(u"missing_rate_limit.json"_s) << u"Key 'rate_limit' not found at top level"_s;
    QTest::newRow("rate_limit null") << fixture(u"rate_limit_null.json"_s)
                                     << u"Value not found at 'rate_limit': expected an object, found null"_s;
    QTest::newRow("rate_limit an array") << fixture(u"rate_limit_array.json"_s)
                                         << u"Type mismatch at 'rate_limit': expected an object, found an array"_s;
    QTest::newRow("window without reset_after_seconds")
        << fixture(u"window_without_reset_after.json"_s) << u"Key 'reset_after_seconds' not found at "_s + window + u"'"_s;
    QTest::newRow("window without limit_window_seconds")
        << fixture(u"window_without_limit_window.json"_s) << u"Key 'limit_window_seconds' not found at "_s + window + u"'"_s;
    QTest::newRow("reset_at with a fraction")
        << fixture(u"reset_at_fraction.json"_s)
        << u"Type mismatch at "_s + window + u".reset_at': expected Int64, found a number with a fraction"_s;
    QTest::newRow("reset_at null") << fixture(u"reset_at_null.json"_s)
                                   << u"Value not found at "_s + window + u".reset_at': expected Int64, found null"_s;
    QTest::newRow("reset_at 1e300")
        << fixture(u"reset_at_huge.json"_s)
        << u"Type mismatch at "_s + window + u".reset_at': expected Int64, found a number outside its range"_s;
    QTest::newRow("reset_at 2^63")
        << fixture(u"reset_at_beyond_int64.json"_s)
        << u"Type mismatch at "_s + window + u".reset_at': expected Int64, found a number outside its range"_s;
    QTest::newRow("reset_at a string") << fixture(u"reset_at_string.json"_s)
                                       << u"Type mismatch at "_s + window + u".reset_at': expected Int64, found a string"_s;
    QTest::newRow("used_percent a string")
        << fixture(u"used_percent_string.json"_s)
        << u"Type mismatch at "_s + window + u".used_percent': expected Double, found a string"_s;
    QTest::newRow("balance a number") << fixture(u"balance_number.json"_s)
                                      << u"Type mismatch at 'credits.balance': expected String, found a number"_s;
    QTest::newRow("allowed 1") << fixture(u"allowed_number.json"_s)
                               << u"Type mismatch at 'rate_limit.allowed': expected Bool, found a number"_s;
    QTest::newRow("plan_type a number, reported before rate_limit")
        << fixture(u"plan_type_number.json"_s) << u"Type mismatch at 'plan_type': expected String, found a number"_s;
    QTest::newRow("top level an array") << fixture(u"top_level_array.json"_s)
                                        << u"Type mismatch at top level: expected an object, found an array"_s;
    QTest::newRow("HTML") << fixture(u"not_json.html"_s) << u"The data is not valid JSON: illegal value at offset 1"_s;
    QTest::newRow("empty body") << QByteArray() << u"The data is not valid JSON: illegal value at offset 0"_s;
    QTest::newRow("invalid UTF-8") << "{\"rate_limit\": {}, \"plan_type\": \"\xff\"}"_ba
                                   << u"The data is not valid JSON: invalid UTF8 string at offset 33"_s;
}

void TestCodexUsage::documentsThatMustNotDecode()
{
    QFETCH(QByteArray, document);
    QFETCH(QString, error);
    const auto result = decodeCodexUsage(document);
    QVERIFY(std::holds_alternative<QString>(result));
    QCOMPARE(std::get<QString>(result), error);
}

void TestCodexUsage::windowsBecomeNamedLimits()
{
    const ProviderUsageResponse response = codexUsageToResponse(decoded(fixture(u"full.json"_s)));
    QCOMPARE(response.limits.size(), 3);
    QCOMPARE(response.limits[0].name, u"5 Hour"_s);
    QCOMPARE(response.limits[0].utilization, 42.5);
    QCOMPARE(response.limits[0].resetTime, QDateTime::fromSecsSinceEpoch(1735693200, Qt::UTC));
    QCOMPARE(response.limits[1].name, u"Weekly"_s);
    QCOMPARE(response.limits[1].utilization, 17.0);
    QCOMPARE(response.limits[2].name, u"Code Review"_s);
    // reset_at 0 is 1970-01-01 00:00 UTC, in the past, and listed as is.
    QCOMPARE(response.limits[2].resetTime, QDateTime(QDate(1970, 1, 1), QTime(0, 0), Qt::UTC));
}

void TestCodexUsage::resetTimesOutsideTheCalendarStayListed()
{
    CodexUsageResponse usage;
    usage.rateLimit.primaryWindow = CodexWindow{10.0, 1, 1, std::numeric_limits<qint64>::max()};
    usage.rateLimit.secondaryWindow = CodexWindow{20.0, 1, 1, std::numeric_limits<qint64>::min()};
    const ProviderUsageResponse response = codexUsageToResponse(usage);
    QCOMPARE(response.limits.size(), 2);
    QVERIFY(response.limits[0].resetTime && response.limits[0].resetTime->isValid());
    QCOMPARE(response.limits[0].resetTime->date(), QDate(9999, 12, 31));
    QVERIFY(response.limits[1].resetTime && response.limits[1].resetTime->isValid());
    QCOMPARE(response.limits[1].resetTime->date(), QDate(1, 1, 1));
}

void TestCodexUsage::answersByStatus_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("description"); // empty: success

    QTest::newRow("200 with usage") << 200 << fixture(u"full.json"_s) << QString();
    QTest::newRow("200 with no windows") << 200 << fixture(u"minimal.json"_s) << QString();
    QTest::newRow("200 HTML") << 200 << fixture(u"not_json.html"_s)
                              << u"Failed to parse response: The data is not valid JSON: illegal value at offset 1"_s;
    QTest::newRow("200 missing rate_limit")
        << 200 << fixture(u"missing_rate_limit.json"_s)
        << u"Failed to parse response: Key 'rate_limit' not found at top level"_s;
    QTest::newRow("401") << 401 << QByteArray() << u"Not logged in to Codex."_s;
    QTest::newRow("403, even mentioning a scope") << 403 << R"({"error":{"message":"scope"}})"_ba
                                                  << u"Not logged in to Codex."_s;
    QTest::newRow("429") << 429 << QByteArray() << u"API error (code: 429)"_s;
    QTest::newRow("500") << 500 << QByteArray() << u"API error (code: 500)"_s;
    QTest::newRow("302") << 302 << QByteArray() << u"API error (code: 302)"_s;
}

void TestCodexUsage::answersByStatus()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QString, description);
    const FetchResult result = codexResultFor(status, body, u"Codex"_s);
    QCOMPARE(failureDescription(result), description);
    if (description.isEmpty())
        QVERIFY(std::holds_alternative<ProviderUsageResponse>(result));
    else
        QVERIFY(std::holds_alternative<ProviderError>(result));
}

QTEST_GUILESS_MAIN(TestCodexUsage)
#include "test_codexusage.moc"
