#include "StatusFormat.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QDebug>
#include <QTest>

#include <limits>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(StatusSnapshot)

namespace {

QDateTime at(const QString &iso)
{
    return QDateTime::fromString(iso, Qt::ISODateWithMs);
}

QByteArray fixture(const QString &name)
{
    QFile file(QStringLiteral(QUOTIX_TEST_DATA) + u"/status/"_s + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QDateTime Now = at(u"2026-12-06T14:03:05.123Z"_s);

ProviderStatus provider(const QString &id, bool available)
{
    ProviderStatus status;
    status.id = id;
    status.name = id == "claude"_L1 ? u"Claude"_s : u"Codex"_s;
    status.available = available;
    return status;
}

ProviderStatus withUsage(ProviderStatus status, QList<UsageLimit> limits)
{
    status.state.usage = ProviderUsageResponse{std::move(limits)};
    status.state.lastUpdated = at(u"2026-12-06T14:03:05.001Z"_s);
    return status;
}

ProviderStatus withError(ProviderStatus status, const QString &error)
{
    status.state.error = error;
    return status;
}

// Claude with two limits (one without a reset time), Codex without credentials.
StatusSnapshot sampleSnapshot()
{
    StatusSnapshot snapshot;
    snapshot.lastUpdated = Now;
    snapshot.statusColor = NamedColor::Yellow;
    snapshot.providers = {
        withUsage(provider(u"claude"_s, true),
                  {{u"Session (5h)"_s, 45.5, at(u"2026-12-06T20:59:59.604+02:00"_s)}, {u"Weekly (7d)"_s, 71.75, std::nullopt}}),
        provider(u"codex"_s, false),
    };
    return snapshot;
}

QJsonObject parse(const QByteArray &json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        qWarning() << "not JSON:" << error.errorString() << json;
    return document.object();
}

} // namespace

class TestStatusFormat : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void timestampsAreUtcWithMilliseconds()
    {
        QCOMPARE(isoTimestamp(at(u"2026-12-06T16:03:05.1+02:00"_s)), u"2026-12-06T14:03:05.100Z"_s);
        QCOMPARE(isoTimestamp(QDateTime::fromSecsSinceEpoch(0, Qt::UTC)), u"1970-01-01T00:00:00.000Z"_s);
    }

    void jsonHasTheFixedShape()
    {
        QCOMPARE(statusJson(sampleSnapshot()), fixture(u"snapshot.json"_s));
    }

    void jsonKeepsUsageBesideAnErrorAndEscapesText()
    {
        StatusSnapshot snapshot = sampleSnapshot();
        const QString error = u"Failed to parse response: \"rate_limit\" missing\n\ttab \u0001 ünïcode"_s;
        snapshot.providers[0] = withError(snapshot.providers[0], error);
        snapshot.providers[1] = withError(provider(u"codex"_s, true), u"API error (code: 500)"_s);

        const QJsonArray providers = parse(statusJson(snapshot)).value(u"providers"_s).toArray();
        const QJsonObject claude = providers[0].toObject();
        QCOMPARE(claude.value(u"error"_s).toString(), error);
        QCOMPARE(claude.value(u"usage"_s).toObject().value(u"limits"_s).toArray().size(), 2);
        QCOMPARE(claude.value(u"lastUpdated"_s).toString(), u"2026-12-06T14:03:05.001Z"_s);
        const QJsonObject codex = providers[1].toObject();
        QCOMPARE(codex.value(u"available"_s).toBool(), true);
        QVERIFY(codex.value(u"usage"_s).isNull());
        QCOMPARE(codex.value(u"error"_s).toString(), u"API error (code: 500)"_s);
    }

    void jsonNumbersAreUnroundedAndNonFiniteIsNull_data()
    {
        QTest::addColumn<double>("utilization");
        QTest::addColumn<QJsonValue>("written");
        QTest::newRow("fraction") << 33.333333333333336 << QJsonValue(33.333333333333336);
        QTest::newRow("above 100") << 150.0 << QJsonValue(150);
        QTest::newRow("negative") << -0.5 << QJsonValue(-0.5);
        QTest::newRow("huge") << 1e300 << QJsonValue(1e300);
        QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << QJsonValue(QJsonValue::Null);
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << QJsonValue(QJsonValue::Null);
    }

    void jsonNumbersAreUnroundedAndNonFiniteIsNull()
    {
        QFETCH(double, utilization);
        QFETCH(QJsonValue, written);
        StatusSnapshot snapshot;
        snapshot.providers = {withUsage(provider(u"codex"_s, true), {{u"Weekly"_s, utilization, std::nullopt}})};
        const QJsonObject usage = parse(statusJson(snapshot)).value(u"providers"_s)[0][u"usage"_s].toObject();
        QCOMPARE(usage.value(u"limits"_s)[0][u"utilization"_s], written);
        QCOMPARE(usage.value(u"maxUtilization"_s), written);
    }

    void jsonWithoutAnyUpdate()
    {
        const QJsonObject document = parse(statusJson(StatusSnapshot{}));
        QVERIFY(document.value(u"lastUpdated"_s).isNull());
        QCOMPARE(document.value(u"statusColor"_s).toString(), u"green"_s);
        QCOMPARE(document.value(u"providers"_s).toArray(), QJsonArray());
    }

    void textShowsLimitsAndUnavailableProviders()
    {
        const QString expected = QString::fromUtf8(fixture(u"snapshot.txt"_s)) + u"\nUpdated "_s
            + Now.toLocalTime().toString(u"HH:mm:ss"_s) + u'\n';
        QCOMPARE(statusText(sampleSnapshot(), Now, false), expected);
    }

    void textShowsErrorsInsteadOfFigures()
    {
        StatusSnapshot snapshot = sampleSnapshot();
        snapshot.providers[0] = withError(snapshot.providers[0], u"Not logged in to Claude."_s);
        snapshot.providers[1] = withUsage(provider(u"codex"_s, true), {});
        const QString text = statusText(snapshot, Now, false);
        QVERIFY(text.startsWith(u"Claude\n  Not logged in to Claude.\n\nCodex\n  No limits reported\n"_s));
        QVERIFY(!text.contains(u"Session"_s));
    }

    void textShowsTheEmptyStateWithoutProviders()
    {
        StatusSnapshot snapshot;
        snapshot.providers = {provider(u"claude"_s, false), provider(u"codex"_s, false)};
        QCOMPARE(statusText(snapshot, Now, false),
                 u"No providers configured.\nRun 'claude' or 'codex' in Terminal to log in.\n"_s);
    }

    void textColoursFollowTheBands()
    {
        StatusSnapshot snapshot;
        snapshot.providers = {
            withUsage(provider(u"claude"_s, true), {{u"A"_s, 69.99, std::nullopt}, {u"B"_s, 70, std::nullopt}, {u"C"_s, 90, std::nullopt}}),
            withError(provider(u"codex"_s, true), u"API error (code: 429)"_s),
        };
        const QString plain = statusText(snapshot, Now, false);
        QVERIFY(!plain.contains(u'\x1b'));
        const QString coloured = statusText(snapshot, Now, true);
        QVERIFY(coloured.contains(u"\x1b[32m69%\x1b[0m"_s));
        QVERIFY(coloured.contains(u"\x1b[33m70%\x1b[0m"_s));
        QVERIFY(coloured.contains(u"\x1b[31m90%\x1b[0m"_s));
        QVERIFY(coloured.contains(u"\x1b[31mAPI error (code: 429)\x1b[0m"_s));
    }

    void colourOnlyOnATerminalWithoutNoColor_data()
    {
        QTest::addColumn<bool>("terminal");
        QTest::addColumn<QByteArray>("noColor");
        QTest::addColumn<bool>("colour");
        QTest::newRow("terminal") << true << QByteArray() << true;
        QTest::newRow("terminal, NO_COLOR=1") << true << "1"_ba << false;
        QTest::newRow("terminal, NO_COLOR=0") << true << "0"_ba << false;
        QTest::newRow("pipe") << false << QByteArray() << false;
    }

    void colourOnlyOnATerminalWithoutNoColor()
    {
        QFETCH(bool, terminal);
        QFETCH(QByteArray, noColor);
        QFETCH(bool, colour);
        QCOMPARE(shouldUseColour(terminal, noColor), colour);
    }

    void barFillsByUtilization_data()
    {
        QTest::addColumn<double>("utilization");
        QTest::addColumn<int>("filled");
        QTest::newRow("zero") << 0.0 << 0;
        QTest::newRow("sliver") << 0.6 << 1;
        QTest::newRow("half") << 50.0 << 10;
        QTest::newRow("almost full") << 99.9 << 19;
        QTest::newRow("full") << 100.0 << 20;
        QTest::newRow("over") << 150.0 << 20;
        QTest::newRow("negative") << -5.0 << 0;
        QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << 0;
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << 20;
    }

    void barFillsByUtilization()
    {
        QFETCH(double, utilization);
        QFETCH(int, filled);
        const QString bar = usageBar(utilization);
        QCOMPARE(bar.size(), 20);
        QCOMPARE(bar.count(QChar(0x2588)), filled);
        QCOMPARE(bar.count(QChar(0x2591)), 20 - filled);
    }

    void exitStatus_data()
    {
        QTest::addColumn<StatusSnapshot>("snapshot");
        QTest::addColumn<int>("code");
        const ProviderStatus fine = withUsage(provider(u"claude"_s, true), {});
        const ProviderStatus failed = withError(provider(u"codex"_s, true), u"API error (code: 500)"_s);
        // An unavailable provider's old error does not count.
        const ProviderStatus gone = withError(provider(u"codex"_s, false), u"Not logged in to Codex."_s);
        QTest::newRow("all fine") << StatusSnapshot{Now, NamedColor::Green, {fine, gone}} << 0;
        QTest::newRow("one failed") << StatusSnapshot{Now, NamedColor::Green, {fine, failed}} << 1;
        QTest::newRow("none available") << StatusSnapshot{Now, NamedColor::Green, {provider(u"claude"_s, false), gone}} << 1;
        QTest::newRow("no providers") << StatusSnapshot{} << 1;
    }

    void exitStatus()
    {
        QFETCH(StatusSnapshot, snapshot);
        QFETCH(int, code);
        QCOMPARE(statusExitCode(snapshot), code);
    }
};

QTEST_GUILESS_MAIN(TestStatusFormat)
#include "test_statusformat.moc"
