// Shown as remaining, every face writes what is left of a limit while its
// colour still follows what is used.
#include "presentation/PanelModel.h"
#include "presentation/TitleLayout.h"
#include "presentation/UsageText.h"
#include "support/TitleFixtures.h"

#include <QTest>

#include <QtNumeric>

using namespace Qt::StringLiterals;

class TestUsageText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void whatIsLeftNeverOverstates()
    {
        const QList<std::pair<double, QString>> cases{
            {76, u"24% left"_s},     {75.5, u"24% left"_s},   {0, u"100% left"_s},  {99.99, u"0% left"_s},
            {100, u"0% left"_s},     {150, u"0% left"_s},     {-5, u"100% left"_s}, {qQNaN(), u"--% left"_s},
            {qInf(), u"--% left"_s}, {-qInf(), u"--% left"_s}};
        for (const auto &[used, text] : cases)
            QCOMPARE(remainingText(used), text);
        QCOMPARE(usageText(75.5, DisplayAs::Used), u"75%"_s);
        QCOMPARE(usageText(75.5, DisplayAs::Remaining), u"24% left"_s);
    }

    void everyFaceShowsTheSameShare()
    {
        const QHash<QString, ProviderState> states{{u"claude"_s, stateWith(claude, usageOf({{"Weekly", 91.5}}))},
                                                   {u"codex"_s, stateWith(codex, usageOf({{"Weekly", 12}}))}};
        const TitleLayout title
            = layoutTitle({claude, codex}, states, false, DisplayMode::Weekly, DisplayAs::Remaining);
        QCOMPARE(title.percentages().constFirst().text, u"8% left"_s);
        QCOMPARE(title.percentages().constLast().text, u"88% left"_s);
        QCOMPARE(title.percentages().constFirst().band, Band::Critical); // 91 % used
        QCOMPARE(title.percentages().constLast().band, Band::Low);
        QCOMPARE(providerSummaryLines({claude, codex}, states, DisplayMode::Weekly, DisplayAs::Remaining),
                 (QStringList{u"Claude \u2014 Weekly: 8% left"_s, u"Codex \u2014 Weekly: 88% left"_s}));

        const RowModel row = rowModel(UsageLimit{u"Weekly"_s, 91.5, std::nullopt}, QDateTime::currentDateTimeUtc(),
                                      DisplayAs::Remaining);
        QCOMPARE(row.percentText, u"8% left"_s);
        QCOMPARE(row.color, NamedColor::Red);
        QCOMPARE(row.filledFraction, 0.915); // the bar keeps showing use, against its pace marker
    }
};

QTEST_GUILESS_MAIN(TestUsageText)
#include "test_usagetext.moc"
