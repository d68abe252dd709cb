#include "providers/CodexProvider.h"
#include "providers/CodexUsage.h"

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

// The decoder's error, or the limits the document becomes.
QString decodedOutcome(const QByteArray &json)
{
    const auto result = decodeCodexUsage(json);
    if (const QString *error = std::get_if<QString>(&result))
        return *error;
    QStringList limits;
    for (const UsageLimit &limit : codexUsageToResponse(std::get<CodexUsageResponse>(result)).limits) {
        limits.append(limit.name + u' ' + QString::number(limit.utilization) + u' '
                      + limit.resetTime.value_or(QDateTime()).toString(Qt::ISODate));
    }
    return u"decoded: "_s + limits.join(u", "_s);
}

} // namespace

class TestCodexUsage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decoderStrictness_data();
    void decoderStrictness();
    void aDocumentThatDoesNotDecodeIsExplained();
};

void TestCodexUsage::decoderStrictness_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<QString>("outcome");

    const auto row = [](const char *file, const QString &outcome) {
        QTest::newRow(file) << fixture(QString::fromLatin1(file)) << outcome;
    };
    const QString window = u"'rate_limit.primary_window"_s;
    const QString typeAtResetAt = u"Type mismatch at "_s + window + u".reset_at': expected Int64, found "_s;
    // reset_at 0 is in the past, and listed as is.
    row("full.json",
        u"decoded: 5 Hour 42.5 2025-01-01T01:00:00Z, Weekly 17 2025-01-07T00:00:00Z, "
        u"Code Review 3.25 1970-01-01T00:00:00Z"_s);
    row("minimal.json", u"decoded: "_s);
    row("integral_numbers.json", u"decoded: 5 Hour 12 2025-01-01T01:00:00Z"_s); // 12 as Double, 1735693200.0 as Int64
    row("secondary_null.json", u"decoded: 5 Hour 50 2025-01-01T01:00:00Z"_s);
    row("reset_at_extremes.json", u"decoded: 5 Hour 1 9999-12-31T23:59:59Z, Weekly 2 0001-01-01T00:00:00Z"_s);
    row("code_review_without_primary.json", u"decoded: "_s);
    row("missing_rate_limit.json", u"Key 'rate_limit' not found at top level"_s);
    row("rate_limit_null.json", u"Value not found at 'rate_limit': expected an object, found null"_s);
    row("window_without_reset_after.json", u"Key 'reset_after_seconds' not found at "_s + window + u"'"_s);
    row("reset_at_fraction.json", typeAtResetAt + u"a number with a fraction"_s);
    row("reset_at_null.json", u"Value not found at "_s + window + u".reset_at': expected Int64, found null"_s);
    row("reset_at_beyond_int64.json", typeAtResetAt + u"a number outside its range"_s);
    row("used_percent_string.json",
        u"Type mismatch at "_s + window + u".used_percent': expected Double, found a string"_s);
    row("balance_number.json", u"Type mismatch at 'credits.balance': expected String, found a number"_s);
    row("allowed_number.json", u"Type mismatch at 'rate_limit.allowed': expected Bool, found a number"_s);
    row("plan_type_number.json", u"Type mismatch at 'plan_type': expected String, found a number"_s);
    row("top_level_array.json", u"Type mismatch at top level: expected an object, found an array"_s);
    row("not_json.html", u"The data is not valid JSON: illegal value at offset 1"_s);
    row("invalid_utf8.json", u"The data is not valid JSON: invalid UTF8 string at offset 33"_s);
}

void TestCodexUsage::decoderStrictness()
{
    QFETCH(QByteArray, document);
    QFETCH(QString, outcome);
    QCOMPARE(decodedOutcome(document), outcome);
}

void TestCodexUsage::aDocumentThatDoesNotDecodeIsExplained()
{
    QCOMPARE(failureDescription(codexResultFor(200, fixture(u"missing_rate_limit.json"_s), u"Codex"_s)),
             u"Failed to parse response: Key 'rate_limit' not found at top level"_s);
}

QTEST_GUILESS_MAIN(TestCodexUsage)
#include "test_codexusage.moc"
