// The tray title as pieces: which limit each mode picks, how a percentage is
// written and coloured, what stands between providers and what stands in for
// them when none can be shown.
#include "TitleLayout.h"
#include "test_title_fixtures.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;
using Kind = TitlePiece::Kind;

Q_DECLARE_METATYPE(DisplayMode)
Q_DECLARE_METATYPE(ProviderUsageResponse)
Q_DECLARE_METATYPE(Band)

namespace {

TitleLayout single(const ProviderUsageResponse &usage, DisplayMode mode)
{
    const auto claude = claudeLike();
    return layoutTitle({claude}, {{claude->id(), stateWith(claude, usage)}}, false, mode);
}

QList<Kind> kinds(const TitleLayout &title)
{
    QList<Kind> result;
    for (const TitlePiece &piece : title.pieces)
        result.append(piece.kind);
    return result;
}

} // namespace

class TestTitleLayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void modeChoosesLimit_data()
    {
        QTest::addColumn<DisplayMode>("mode");
        QTest::addColumn<ProviderUsageResponse>("usage");
        QTest::addColumn<QString>("shown");

        const auto sessionFirst = limits({{"Session (5h)", 10}, {"Weekly (7d)", 42}});
        const auto weeklyFirst = limits({{"Weekly (7d)", 42}, {"Session (5h)", 10}});
        QTest::newRow("weekly picks the weekly limit") << DisplayMode::Weekly << sessionFirst << u"42%"_s;
        QTest::newRow("session picks the session limit") << DisplayMode::Session << sessionFirst << u"10%"_s;
        QTest::newRow("weekly name holds neither 5 nor Session") << DisplayMode::Session << weeklyFirst << u"10%"_s;
        QTest::newRow("5 Hour matches by its digit")
            << DisplayMode::Session << limits({{"Weekly", 30}, {"5 Hour", 12}}) << u"12%"_s;
        QTest::newRow("any name with a 5 matches in session mode")
            << DisplayMode::Session << limits({{"Sonnet 4.5 (7d)", 61}, {"Session (5h)", 10}}) << u"61%"_s;
        QTest::newRow("earliest match wins, whichever marker")
            << DisplayMode::Weekly << limits({{"Sonnet (7d)", 33}, {"Weekly (7d)", 20}}) << u"33%"_s;
        QTest::newRow("markers are case-sensitive: falls back to the highest")
            << DisplayMode::Weekly << limits({{"weekly", 30}, {"Other", 80}}) << u"80%"_s;
        QTest::newRow("no weekly limit in session-only usage")
            << DisplayMode::Weekly << limits({{"Session (5h)", 55}, {"Opus", 20}}) << u"55%"_s;
        QTest::newRow("only a weekly limit in session mode")
            << DisplayMode::Session << limits({{"Weekly (7d)", 42}}) << u"42%"_s;
        QTest::newRow("no limits at all") << DisplayMode::Weekly << ProviderUsageResponse{} << u"0%"_s;
        QTest::newRow("truncated, not rounded") << DisplayMode::Weekly << limits({{"Weekly", 42.9}}) << u"42%"_s;
        QTest::newRow("just below zero truncates to 0") << DisplayMode::Weekly << limits({{"Weekly", -0.5}})
                                                        << u"0%"_s;
    }
    void modeChoosesLimit()
    {
        QFETCH(DisplayMode, mode);
        QFETCH(ProviderUsageResponse, usage);
        QFETCH(QString, shown);
        const TitleLayout title = single(usage, mode);
        QCOMPARE(title.text(), u"\U0001F916 "_s + shown);
        QVERIFY(title.hasUsage());
    }

    void bandFollowsShownNumber_data()
    {
        QTest::addColumn<double>("utilization");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<Band>("band");

        QTest::newRow("69.99") << 69.99 << u"69%"_s << Band::Low;
        QTest::newRow("70") << 70.0 << u"70%"_s << Band::Elevated;
        QTest::newRow("89.9") << 89.9 << u"89%"_s << Band::Elevated;
        QTest::newRow("90") << 90.0 << u"90%"_s << Band::Critical;
        QTest::newRow("100") << 100.0 << u"100%"_s << Band::Critical;
        QTest::newRow("120.5") << 120.5 << u"120%"_s << Band::Critical;
        QTest::newRow("NaN") << std::nan("") << u"--%"_s << Band::Low;
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << u"--%"_s << Band::Low;
        QTest::newRow("beyond 64 bits") << 1e300 << u"--%"_s << Band::Low;
    }
    void bandFollowsShownNumber()
    {
        QFETCH(double, utilization);
        QFETCH(QString, shown);
        QFETCH(Band, band);
        const QList<TitlePiece> numbers = single(limits({{"Weekly (7d)", utilization}}), DisplayMode::Weekly)
                                              .percentages();
        QCOMPARE(numbers.size(), 1);
        QCOMPARE(numbers.constFirst().text, shown);
        QCOMPARE(numbers.constFirst().band, band);
    }

    void glyphsWhenNothingToShow_data()
    {
        QTest::addColumn<bool>("anyState");
        QTest::addColumn<bool>("isLoading");
        QTest::addColumn<QString>("glyph");

        QTest::newRow("no provider, loading") << false << true << u"\u23F3"_s;
        QTest::newRow("no provider, idle") << false << false << u"\u274C"_s;
        QTest::newRow("providers without usage, loading") << true << true << u"\u23F3"_s;
        QTest::newRow("providers with only errors, idle") << true << false << u"\u274C"_s;
    }
    void glyphsWhenNothingToShow()
    {
        QFETCH(bool, anyState);
        QFETCH(bool, isLoading);
        QFETCH(QString, glyph);
        const auto claude = claudeLike();
        const auto codex = codexLike();
        QHash<QString, ProviderState> states;
        if (anyState) {
            states.insert(u"claude"_s, stateWith(claude, std::nullopt, u"Not logged in"_s));
            states.insert(u"codex"_s, stateWith(codex, std::nullopt));
        }
        const TitleLayout title = layoutTitle({claude, codex}, states, isLoading, DisplayMode::Weekly);
        QCOMPARE(title.text(), glyph);
        QCOMPARE(kinds(title), QList<Kind>{Kind::Glyph});
        QVERIFY(!title.hasUsage());
    }

    void separatorsOnlyBetweenShownProviders()
    {
        const auto claude = claudeLike();
        const auto codex = codexLike();
        QHash<QString, ProviderState> states{
            {u"claude"_s, stateWith(claude, limits({{"Weekly (7d)", 42}}))},
            {u"codex"_s, stateWith(codex, limits({{"Weekly", 17.2}}))},
        };
        const TitleLayout both = layoutTitle({claude, codex}, states, false, DisplayMode::Weekly);
        QCOMPARE(both.text(), u"\U0001F916 42%  \u26A1 17%"_s);
        QCOMPARE(kinds(both), (QList<Kind>{Kind::IconImage, Kind::Percentage, Kind::Separator, Kind::IconImage,
                                           Kind::Percentage}));
        QCOMPARE(both.pieces.at(0).iconName, u"claude-icon"_s);
        QCOMPARE(both.widestText(), u"\U0001F916 100%  \u26A1 100%"_s);

        // Order is the available list's, not the dictionary's.
        QCOMPARE(layoutTitle({codex, claude}, states, false, DisplayMode::Weekly).text(),
                 u"\u26A1 17%  \U0001F916 42%"_s);

        states[u"claude"_s].usage.reset();
        QCOMPARE(layoutTitle({claude, codex}, states, true, DisplayMode::Weekly).text(), u"\u26A1 17%"_s);

        // A provider that is no longer available vanishes, usage or not.
        states[u"claude"_s].usage = limits({{"Weekly", 5}});
        QCOMPARE(layoutTitle({codex}, states, false, DisplayMode::Weekly).text(), u"\u26A1 17%"_s);
    }

    void iconTextWithoutArtwork()
    {
        for (const std::optional<QString> &iconName : {std::optional<QString>(), std::optional<QString>(u""_s)}) {
            const auto plain = std::make_shared<TitleTestProvider>(u"p"_s, u"Plain"_s, u"P"_s, iconName);
            const TitleLayout title = layoutTitle({plain}, {{u"p"_s, stateWith(plain, limits({{"Weekly", 3}}))}},
                                                  false, DisplayMode::Weekly);
            QCOMPARE(title.text(), u"P 3%"_s);
            QCOMPARE(kinds(title), (QList<Kind>{Kind::IconText, Kind::Percentage}));
        }
    }

    void errorBesideUsageStillShows()
    {
        const auto claude = claudeLike();
        const QHash<QString, ProviderState> states{
            {u"claude"_s, stateWith(claude, limits({{"Weekly", 91}}), u"The request timed out."_s)}};
        QCOMPARE(layoutTitle({claude}, states, true, DisplayMode::Weekly).text(), u"\U0001F916 91%"_s);
        QCOMPARE(providerSummaryLines({claude}, states, DisplayMode::Weekly),
                 QStringList{u"Claude \u2014 Weekly: 91%"_s});
        const QHash<QString, ProviderState> failed{{u"claude"_s, stateWith(claude, std::nullopt, u"Offline"_s)}};
        QCOMPARE(providerSummaryLines({claude}, failed, DisplayMode::Weekly), QStringList{u"Claude: Offline"_s});
    }
};

QTEST_GUILESS_MAIN(TestTitleLayout)
#include "test_titlelayout.moc"
