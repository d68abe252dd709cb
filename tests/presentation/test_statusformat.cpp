#include "presentation/StatusFormat.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <limits>

using namespace Qt::StringLiterals;

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
// Reset times as clock times in UTC and the C locale, whatever the machine's.
const TextOptions Plain{false, DisplayAs::Used, QTimeZone::utc(), QLocale::c()};

ProviderStatus provider(const QString &id, bool available, std::optional<QList<UsageLimit>> limits = {},
                        std::optional<QString> error = {})
{
    ProviderStatus status{id, id == "claude"_L1 ? u"Claude"_s : u"Codex"_s, available, {}};
    if (limits) {
        status.state.usage = ProviderUsageResponse{*limits};
        status.state.lastUpdated = at(u"2026-12-06T14:03:05.001Z"_s);
    }
    status.state.error = error;
    return status;
}

// Claude with two limits (one without a reset time), Codex without credentials.
StatusSnapshot sampleSnapshot()
{
    return {Now,
            NamedColor::Yellow,
            {provider(u"claude"_s, true,
                      QList<UsageLimit>{{u"Session (5h)"_s, 45.5, at(u"2026-12-06T20:59:59.604+02:00"_s)},
                                        {u"Weekly (7d)"_s, 71.75, std::nullopt}}),
             provider(u"codex"_s, false)}};
}

} // namespace

class TestStatusFormat : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void jsonHasTheFixedShape()
    {
        QCOMPARE(statusJson(sampleSnapshot(), Now), fixture(u"snapshot.json"_s));

        // Usage stays beside an error; text is escaped.
        StatusSnapshot snapshot = sampleSnapshot();
        const QString error = u"\"quoted\"\n\ttab \\ \u0001 ünïcode"_s;
        snapshot.providers[0].state.error = error;
        const QJsonObject document = QJsonDocument::fromJson(statusJson(snapshot, Now)).object();
        QCOMPARE(document[u"providers"_s][0][u"error"_s].toString(), error);
        QVERIFY(document[u"providers"_s][0][u"errorDetail"_s].isNull());
        snapshot.providers[0].state.errorDetail = u"The saved login expired 3 h ago."_s;
        QCOMPARE(QJsonDocument::fromJson(statusJson(snapshot, Now))[u"providers"_s][0][u"errorDetail"_s].toString(),
                 u"The saved login expired 3 h ago."_s);
        QCOMPARE(document[u"providers"_s][0][u"usage"_s][u"limits"_s].toArray().size(), 2);
    }

    void jsonNumbersAreUnroundedAndNonFiniteIsNull()
    {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double infinity = std::numeric_limits<double>::infinity();
        const QJsonArray written{33.333333333333336, 150, QJsonValue::Null, QJsonValue::Null};
        const StatusSnapshot snapshot{{},
                                      NamedColor::Green,
                                      {provider(u"codex"_s, true,
                                                QList<UsageLimit>{{u"A"_s, 33.333333333333336, {}},
                                                                  {u"B"_s, 150, {}},
                                                                  {u"C"_s, nan, {}},
                                                                  {u"D"_s, -infinity, {}}})}};
        const QJsonArray limits
            = QJsonDocument::fromJson(statusJson(snapshot, Now))[u"providers"_s][0][u"usage"_s][u"limits"_s].toArray();
        for (qsizetype i = 0; i < written.size(); ++i)
            QCOMPARE(limits[i][u"utilization"_s], written[i]);
    }

    void textShowsLimitsErrorsAndUnavailableProviders()
    {
        const QString expected = QString::fromUtf8(fixture(u"snapshot.txt"_s)) + u"\nUpdated "_s
            + Now.toLocalTime().toString(u"HH:mm:ss"_s) + u'\n';
        QCOMPARE(statusText(sampleSnapshot(), Now, Plain), expected);

        StatusSnapshot failed = sampleSnapshot();
        failed.providers
            = {provider(u"claude"_s, true, QList<UsageLimit>{{u"Session"_s, 1, {}}}, u"Not logged in to Claude."_s),
               provider(u"codex"_s, true, QList<UsageLimit>{})};
        failed.providers[0].state.errorDetail
            = u"The saved login expired 3 h ago. Open Claude Code once to renew it."_s;
        QCOMPARE(
            statusText(failed, Now).section(u"\n\nUpdated"_s, 0, 0),
            u"Claude\n  Not logged in to Claude.\n  The saved login expired 3 h ago. Open Claude Code once to renew it."
            u"\n\nCodex\n  No limits reported"_s);
    }

    void textColoursFollowTheBandsUnlessNoColor()
    {
        const StatusSnapshot snapshot{
            {},
            NamedColor::Red,
            {provider(u"claude"_s, true, QList<UsageLimit>{{u"A"_s, 69.99, {}}, {u"B"_s, 70, {}}, {u"C"_s, 90, {}}}),
             provider(u"codex"_s, true, {}, u"API error (code: 429)"_s)}};
        QVERIFY(!statusText(snapshot, Now).contains(u'\x1b'));
        const QString coloured = statusText(snapshot, Now, {true});
        QVERIFY(coloured.contains(u"\x1b[32m69%\x1b[0m"_s));
        QVERIFY(coloured.contains(u"\x1b[33m70%\x1b[0m"_s));
        QVERIFY(coloured.contains(u"\x1b[31m90%\x1b[0m"_s));
        QVERIFY(coloured.contains(u"\x1b[31mAPI error (code: 429)\x1b[0m"_s));

        QVERIFY(shouldUseColour(true, {}));
        QVERIFY(!shouldUseColour(true, "0"_ba)); // any value of NO_COLOR counts
        QVERIFY(!shouldUseColour(false, {}));
    }

    void barFillsByUtilization()
    {
        const QList<std::pair<double, int>> cases{
            {0, 0}, {0.6, 1}, {50, 10}, {99.9, 19}, {150, 20}, {-5, 0}, {std::numeric_limits<double>::quiet_NaN(), 0}};
        for (const auto &[utilization, filled] : cases)
            QCOMPARE(usageBar(utilization), QString(filled, QChar(0x2588)) + QString(20 - filled, QChar(0x2591)));
    }

    void paceAppearsInJsonAndText()
    {
        // A week with 80 % used after half of it, and a five-hour window with no length known.
        UsageLimit weekly{u"Weekly"_s, 80, Now.addSecs(7 * 12 * 3600), LimitKind::Weekly, 7 * 24 * 3600};
        UsageLimit session{u"Session"_s, 10, Now.addSecs(3600), LimitKind::Session, std::nullopt};
        const StatusSnapshot snapshot{
            Now, NamedColor::Yellow, {provider(u"claude"_s, true, QList<UsageLimit>{weekly, session})}};
        const QJsonArray limits
            = QJsonDocument::fromJson(statusJson(snapshot, Now))[u"providers"_s][0][u"usage"_s][u"limits"_s].toArray();
        QCOMPARE(limits[0][u"kind"_s].toString(), u"weekly"_s);
        QCOMPARE(limits[0][u"windowSeconds"_s].toInteger(), 604800);
        QCOMPARE(limits[0][u"elapsedFraction"_s].toDouble(), 0.5);
        // 80 % in 3.5 days: the rest goes in 21 hours.
        QCOMPARE(limits[0][u"projectedExhaustion"_s].toString(), u"2026-12-07T11:03:05.123Z"_s);
        QCOMPARE(limits[1][u"kind"_s].toString(), u"session"_s);
        for (const auto *key : {"windowSeconds", "elapsedFraction", "projectedExhaustion"})
            QVERIFY(limits[1][QLatin1StringView(key)].isNull());

        const QStringList lines = statusText(snapshot, Now).split(u'\n');
        const qsizetype row = lines.indexOf(lines.filter(u"Weekly"_s).value(0));
        QCOMPARE(lines.value(row + 1), u"    At this pace: runs out in 21h 0m"_s);
        QVERIFY(lines.value(row + 2).contains(u"Session"_s)); // no projection without a length
        QVERIFY(statusText(snapshot, Now, {true}).contains(u"\x1b[33mAt this pace: runs out in 21h 0m\x1b[0m"_s));
    }

    void exitStatusCountsOnlyAvailableProviders()
    {
        // An unavailable provider's old error does not count.
        const ProviderStatus gone = provider(u"codex"_s, false, {}, u"Not logged in to Codex."_s);
        QCOMPARE(statusExitCode({Now, NamedColor::Green, {provider(u"claude"_s, true, QList<UsageLimit>{}), gone}}), 0);
        QCOMPARE(statusExitCode({Now, NamedColor::Green, {provider(u"claude"_s, false), gone}}), 1);
    }
};

QTEST_GUILESS_MAIN(TestStatusFormat)
#include "test_statusformat.moc"