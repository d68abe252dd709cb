// What `quotix status` prints: the JSON document, the terminal text and the
// status-bar lines, whose template fields are found by the limit's kind.
#include "presentation/StatusBarFormat.h"
#include "presentation/StatusFormat.h"
#include "presentation/Translations.h"
#include "support/Files.h"
#include "support/ProviderLooks.h"
#include "support/ScriptedProvider.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <QtNumeric>

using namespace Qt::StringLiterals;

namespace {

QDateTime at(const QString &iso)
{
    return QDateTime::fromString(iso, Qt::ISODateWithMs);
}

const QDateTime Now = at(u"2026-12-06T14:03:05.123Z"_s);
// Reset times as clock times in UTC and the C locale, whatever the machine's.
const TextOptions Plain{false, DisplayAs::Used, QTimeZone::utc(), QLocale::c()};

ProviderStatus provider(const QString &id, bool available, std::optional<QList<UsageLimit>> limits = {},
                        std::optional<QString> error = {})
{
    ProviderStatus status{id, id == "claude"_L1 ? u"Claude"_s : u"Codex"_s, available, {}};
    status.state.provider = std::make_shared<ScriptedProvider>(status.id, status.name);
    if (limits) {
        status.state.usage = ProviderUsageResponse{*limits};
        status.state.lastUpdated = at(u"2026-12-06T14:03:05.001Z"_s);
    }
    status.state.error = error;
    return status;
}

// Claude with its limits out of the kinds' order, one unknown; Codex logged
// out since its last figures, its error kept with text to escape.
StatusSnapshot sampleSnapshot()
{
    const UsageLimit weekly{u"Weekly (7d)"_s, 80, Now.addSecs(7 * 12 * 3600), LimitKind::Weekly, 7 * 24 * 3600};
    const UsageLimit session{u"Session (5h)"_s, 45.5, at(u"2026-12-06T20:59:59.604+02:00"_s), LimitKind::Session};
    StatusSnapshot snapshot{
        Now,
        NamedColor::Yellow,
        {provider(u"claude"_s, true,
                  QList<UsageLimit>{{u"Opus"_s, 33.333333333333336, {}}, weekly, session, {u"Sonnet"_s, qQNaN(), {}}}),
         provider(u"codex"_s, false, QList<UsageLimit>{{u"Weekly"_s, 99, {}, LimitKind::Weekly}},
                  u"\"quoted\"\n\ttab \\ \u0001 ünïcode"_s)}};
    snapshot.providers[1].state.errorDetail = u"The saved login expired 3 h ago."_s;
    snapshot.providers[0].state.usage->credits = UsageCredits{Money{1250, 2, u"EUR"_s}, Money{4000, 2, u"EUR"_s}};
    snapshot.providers[1].state.usage->resetsBanked = 2;
    snapshot.providers[1].state.usage->budgetReachedType = u"workspace_default"_s;
    return snapshot;
}

QString render(const QString &text, const StatusSnapshot &snapshot = sampleSnapshot(), DisplayAs as = DisplayAs::Used)
{
    QString error;
    const auto parsed = StatusTemplate::parse(text, &error);
    return parsed ? parsed->render(snapshot, as) : u"error: "_s + error;
}

QJsonObject waybar(const StatusSnapshot &snapshot)
{
    return QJsonDocument::fromJson(waybarLine(snapshot, DisplayMode::Weekly, DisplayAs::Used)).object();
}

} // namespace

class TestStatusFormat : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Pace, unknown and unrounded figures and escaped text included.
    void jsonHasTheFixedShape() { QCOMPARE(statusJson(sampleSnapshot(), Now), testData(u"status/snapshot.json"_s)); }

    // The JSON's own time writer says what Qt's formatter says, at the ends of its range too.
    void timestampsAreQtsIsoForm()
    {
        const QTimeZone utc = QTimeZone::utc();
        const QList<QDateTime> moments{at(u"2026-12-06T20:59:59.604+02:00"_s),
                                       QDateTime(QDate(1, 1, 1), QTime(0, 0), utc),
                                       QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59, 999), utc),
                                       QDateTime(QDate(9999, 12, 31), QTime(23, 0), QTimeZone(-7200)),
                                       QDateTime(QDate(-44, 3, 15), QTime(12, 0), utc),
                                       QDateTime(QDate(2026, 3, 29), QTime(2, 30))};
        for (const QDateTime &moment : moments)
            QCOMPARE(isoTimestamp(moment), moment.toUTC().toString(Qt::ISODateWithMs));
    }

    // A Japanese credits title is twice as wide on a terminal as it is long:
    // the figures of every row still start in one column.
    void wideTextsKeepTheColumns()
    {
        const auto japanese = translatorFor(QLocale(u"ja_JP"_s));
        QVERIFY(japanese);
        QCoreApplication::installTranslator(japanese.get());
        const QStringList lines = statusText(sampleSnapshot(), Now, Plain).split(u'\n');
        QCoreApplication::removeTranslator(japanese.get());
        const auto figureColumn = [&](const QString &figure) {
            const auto line
                = std::find_if(lines.cbegin(), lines.cend(), [&](const QString &l) { return l.contains(figure); });
            if (line == lines.cend())
                return qsizetype(-1);
            const QString before = line->left(line->indexOf(figure));
            return before.size()
                + std::count_if(before.cbegin(), before.cend(), [](QChar c) { return c.unicode() >= 0x3000; });
        };
        QVERIFY(figureColumn(u"12.50 / 40.00"_s) > 0);
        QCOMPARE(figureColumn(u"12.50 / 40.00"_s), figureColumn(u"33%"_s));
    }

    void textShowsLimitsErrorsAndUnavailableProviders()
    {
        const QString expected = QString::fromUtf8(testData(u"status/snapshot.txt"_s)) + u"\nUpdated "_s
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
        failed.providers[1].state.usage->unlimited = {u"Premium requests"_s};
        QVERIFY(statusText(failed, Now).contains(u"Codex\n  Premium requests: Unlimited\n"_s));

        // Figures kept over a rate limit stay, with their age and the reason.
        StatusSnapshot stale = sampleSnapshot();
        stale.providers[0].state.error = u"API error (code: 429)"_s;
        stale.providers[0].state.errorIsTransient = true;
        const QString kept = statusText(stale, Now, Plain);
        QVERIFY2(kept.contains(u"  Weekly (7d)    80%"_s)
                     && kept.contains(u"  Usage credits  12.50 / 40.00 \u20AC  ██████░░░░░░░░░░░░░░\n"
                                      u"  as of 14:03 \u00B7 API error (code: 429)\n"_s),
                 qPrintable(kept));
        QVERIFY(statusJson(stale, Now).contains("\"stale\": true"));
    }

    void textColoursFollowTheBandsUnlessNoColor()
    {
        StatusSnapshot snapshot = sampleSnapshot();
        snapshot.providers[1] = provider(u"codex"_s, true, {}, u"API error (code: 429)"_s);
        QVERIFY(!statusText(snapshot, Now).contains(u'\x1b'));
        const QString coloured = statusText(snapshot, Now, {true});
        for (const char *painted :
             {"\x1b[32m45%", "\x1b[33m80%\x1b[0m", "\x1b[32m--%", "\x1b[31mAPI error (code: 429)\x1b[0m",
              "\x1b[33mAt this pace: runs out in 21h 0m\x1b[0m"})
            QVERIFY2(coloured.contains(QLatin1StringView(painted)), painted + 1);

        QVERIFY(shouldUseColour(true, {}));
        QVERIFY(!shouldUseColour(true, "0"_ba)); // any value of NO_COLOR counts
        QVERIFY(!shouldUseColour(false, {}));
    }

    void barFillsByUtilization()
    {
        const QList<std::pair<double, int>> cases{{0, 0},    {0.6, 1}, {50, 10},     {99.9, 19},
                                                  {150, 20}, {-5, 0},  {qQNaN(), 0}, {qInf(), 20}};
        for (const auto &[utilization, filled] : cases)
            QCOMPARE(usageBar(utilization), QString(filled, QChar(0x2588)) + QString(20 - filled, QChar(0x2591)));
        // Beside what is left, the bar shows what is left.
        const TextOptions remaining{false, DisplayAs::Remaining, QTimeZone::utc(), QLocale::c()};
        QVERIFY(statusText(sampleSnapshot(), Now, remaining).contains(u"20% left  ████░░░░░░░░░░░░░░░░"_s));
    }

    void exitStatusCountsOnlyAvailableProviders()
    {
        StatusSnapshot snapshot = sampleSnapshot(); // Codex's old error does not count
        QCOMPARE(statusExitCode(snapshot), 0);
        snapshot.providers[0].available = false;
        QCOMPARE(statusExitCode(snapshot), 1);
    }

    void templateFillsFieldsByKind()
    {
        QCOMPARE(render(u"C {claude.session}/{claude.weekly} X {codex.weekly} max {max} {status}"_s),
                 u"C 45%/80% X -- max 80% yellow\n"_s);
        QCOMPARE(render(u"{claude.weekly}"_s, sampleSnapshot(), DisplayAs::Remaining), u"20% left\n"_s);
        QCOMPARE(render(u"{{{max}}} }}{{"_s), u"{80%} }{\n"_s);
        QCOMPARE(render(QString()), u"\n"_s);
        QCOMPARE(render(u"a\nb"_s), u"a b\n"_s); // one line per refresh
        // A row by its slug, a provider's highest; a row not sent is unknown.
        QCOMPARE(render(u"{claude.opus} {claude.weekly_7d} {claude.session_5h} {claude.max} {claude.fable} {codex.max}"_s),
                 u"33% 80% 45% 80% -- --\n"_s);
        // The window's field is its binding limit: a model's cap above the week wins.
        StatusSnapshot scoped = sampleSnapshot();
        UsageLimit fable = scoped.providers[0].state.usage->limits[1];
        fable.name = u"Fable"_s;
        fable.utilization = 100;
        scoped.providers[0].state.usage->limits.append(fable);
        QCOMPARE(render(u"{claude.weekly} {claude.fable}"_s, scoped), u"100% 100%\n"_s);
        QCOMPARE(waybar(scoped)[u"text"_s].toString(), u"Claude Fable 100%"_s);
        QCOMPARE(waybar(scoped)[u"class"_s].toString(), u"red"_s);

        // An extra account's fields, by its id, once the template knows it.
        StatusSnapshot accounts = sampleSnapshot();
        accounts.providers.append(provider(u"claude-work"_s, true, QList<UsageLimit>{{u"Weekly"_s, 12.5, {}, LimitKind::Weekly}}));
        QString error;
        const auto withWork = StatusTemplate::parse(u"{claude-work.weekly} {claude-work.max}"_s, &error, {u"claude-work"_s});
        QVERIFY2(withWork, qPrintable(error));
        QCOMPARE(withWork->render(accounts, DisplayAs::Used), u"12% 12%\n"_s);
        QVERIFY(render(u"{claude-work.weekly}"_s, accounts).startsWith(u"error: unknown field"_s));
    }

    void badTemplatesNameTheirFault()
    {
        QVERIFY(render(u"{acme.weekly}"_s).startsWith(u"error: unknown field \"{acme.weekly}\""_s));
        QVERIFY(render(u"{claude.Fable}"_s).startsWith(u"error: unknown field"_s)); // slugs are lower case
        QVERIFY(render(u"{claude.}"_s).startsWith(u"error: unknown field"_s));
        QVERIFY(render(u"{}"_s).startsWith(u"error: unknown field \"{}\""_s));
        QVERIFY(render(u"{MAX}"_s).startsWith(u"error: unknown field"_s)); // names are exact
        QVERIFY(render(u"{max"_s).startsWith(u"error: unclosed"_s));
        QVERIFY(render(u"max}"_s).startsWith(u"error: a \"}\" without"_s));
    }

    void barLinesWithoutFiguresSaySo()
    {
        StatusSnapshot nothing = sampleSnapshot();
        nothing.providers[0].state.usage.reset();
        nothing.providers[0].state.error = u"Offline"_s;
        QCOMPARE(waybar(nothing),
                 (QJsonObject{{u"text"_s, u"No usage"_s},
                              {u"tooltip"_s, u"Claude \u00B7 Offline"_s},
                              {u"class"_s, u"error"_s},
                              {u"percentage"_s, 0}}));

        // A figure that is not a number is unknown, not a crash or a bogus class.
        StatusSnapshot unknown = sampleSnapshot();
        unknown.providers[0].state.usage->limits[1].utilization = qInf();
        QCOMPARE(waybar(unknown)[u"text"_s].toString(), u"Claude --%"_s);
        QCOMPARE(waybar(unknown)[u"class"_s].toString(), u"error"_s);
        QCOMPARE(render(u"{claude.weekly}"_s, unknown), u"--%\n"_s);

        // The tooltip lists every row, with what follows them.
        StatusSnapshot rows = sampleSnapshot();
        rows.providers[0].state.usage->resetsBanked = 1;
        const QStringList tooltip = waybar(rows)[u"tooltip"_s].toString().split(u'\n');
        QCOMPARE(tooltip.size(), 6);
        QCOMPARE(tooltip.first(), u"Claude \u00B7 Opus 33%"_s);
        QCOMPARE(tooltip.at(4), u"Claude \u00B7 Usage credits 12.50 / 40.00 \u20AC"_s);
        QCOMPARE(tooltip.last(), u"Claude \u00B7 1 reset banked"_s);

        // waybar reads markup: a service's "&" or "<" must not be taken for one.
        StatusSnapshot marked = sampleSnapshot();
        UsageLimit scoped = marked.providers[0].state.usage->limits[1];
        scoped.name = u"R&D <beta>"_s;
        scoped.utilization = 100;
        marked.providers[0].state.usage->limits.append(scoped);
        const QJsonObject line = waybar(marked);
        QCOMPARE(line[u"text"_s].toString(), u"Claude R&amp;D &lt;beta&gt; 100%"_s);
        QVERIFY(line[u"tooltip"_s].toString().contains(u"\u00B7 R&amp;D &lt;beta&gt; "_s));
    }
};

QTEST_GUILESS_MAIN(TestStatusFormat)
#include "test_statusformat.moc"
