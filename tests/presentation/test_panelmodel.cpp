#include "presentation/PanelModel.h"
#include "support/ScriptedProvider.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

const QDateTime Now = QDateTime(QDate(2025, 3, 1), QTime(12, 0), Qt::UTC);

// A state described in one word: "none", "usage", "error", "error+usage" (an error beside old usage).
ProviderState state(const QString &id, const QString &kind)
{
    ProviderState result;
    result.provider = std::make_shared<ScriptedProvider>(id, id);
    if (kind.contains(u"usage"_s))
        result.usage = usageOf({{"Session (5h)", 42.0}, {"Weekly (7d)", 17.5}});
    if (kind.contains(u"error"_s))
        result.error = u"Not logged in"_s;
    return result;
}

} // namespace

class TestPanelModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void panelBranches_data();
    void panelBranches();
    void sectionBodies_data();
    void sectionBodies();
    void rows_data();
    void rows();
    void timeLines();
};

void TestPanelModel::panelBranches_data()
{
    QTest::addColumn<QString>("available"); // provider ids, in list order
    QTest::addColumn<QString>("states");    // "id:kind" for each state held
    QTest::addColumn<bool>("isLoading");
    QTest::addColumn<bool>("hasLastUpdated");
    QTest::addColumn<QString>("shown"); // top to bottom

    QTest::newRow("first refresh: the placeholder stands alone")
        << u"claude,codex"_s << u"claude:none codex:error"_s << true << true << u"placeholder"_s;
    QTest::newRow("a refresh keeps earlier figures up")
        << u"claude,codex"_s << u"claude:usage codex:none"_s << true << true << u"claude, codex, Updated 5 sec ago"_s;
    QTest::newRow("sections follow the provider list and skip the rest; no update yet")
        << u"codex,ghost,claude"_s << u"claude:error+usage codex:error gone:usage"_s << false << false
        << u"codex, claude"_s;
    QTest::newRow("no provider available, even during a refresh after usage")
        << QString() << u"claude:usage"_s << true << true << u"empty state, Updated 5 sec ago"_s;
}

void TestPanelModel::panelBranches()
{
    QFETCH(QString, available);
    QFETCH(QString, states);
    QFETCH(bool, isLoading);
    QFETCH(bool, hasLastUpdated);
    QFETCH(QString, shown);

    PanelInput input;
    for (const QString &id : available.split(u',', Qt::SkipEmptyParts))
        input.availableProviders.append(std::make_shared<ScriptedProvider>(id, id));
    for (const QString &entry : states.split(u' ', Qt::SkipEmptyParts)) {
        const QString id = entry.section(u':', 0, 0);
        input.providerStates.insert(id, state(id, entry.section(u':', 1, 1)));
    }
    input.isLoading = isLoading;
    if (hasLastUpdated)
        input.lastUpdated = Now.addSecs(-5);

    const PanelModel model = buildPanelModel(input, Now);
    QStringList parts;
    if (model.content == ContentBranch::LoadingPlaceholder)
        parts.append(u"placeholder"_s);
    for (const SectionModel &section : model.sections)
        parts.append(section.id);
    if (model.showsEmptyState)
        parts.append(u"empty state"_s);
    if (model.footer)
        parts.append(model.footer->text);
    QCOMPARE(parts.join(u", "_s), shown);
    QCOMPARE(EmptyStateMessage, "No providers configured.\nRun 'claude' or 'codex' in Terminal to log in."_L1);
    QCOMPARE(model.refreshButton.enabled, !isLoading);
    QCOMPARE(model.refreshButton.spinning, isLoading);
    QCOMPARE(model.refreshButton.opacity, isLoading ? 0.7 : 1.0);
}

void TestPanelModel::sectionBodies_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<SectionBody>("body");
    QTest::addColumn<int>("rows");

    QTest::newRow("never fetched: \"Loading...\"") << u"none"_s << SectionBody::Waiting << 0;
    QTest::newRow("usage") << u"usage"_s << SectionBody::Rows << 2;
    QTest::newRow("an error hides earlier usage") << u"error+usage"_s << SectionBody::Error << 0;
}

void TestPanelModel::sectionBodies()
{
    QFETCH(QString, kind);
    QFETCH(SectionBody, body);
    QFETCH(int, rows);

    const SectionModel section = sectionModel(state(u"claude"_s, kind), Now);
    QCOMPARE(section.title, u"CLAUDE"_s);
    QCOMPARE(section.body, body);
    QCOMPARE(section.rows.size(), rows);
}

void TestPanelModel::rows_data()
{
    QTest::addColumn<double>("utilization");
    QTest::addColumn<QString>("percent");
    QTest::addColumn<NamedColor>("color");
    QTest::addColumn<double>("fill");

    QTest::newRow("69.99") << 69.99 << u"69%"_s << NamedColor::Green << 0.6999;
    QTest::newRow("70") << 70.0 << u"70%"_s << NamedColor::Yellow << 0.70;
    QTest::newRow("89.99") << 89.99 << u"89%"_s << NamedColor::Yellow << 0.8999;
    QTest::newRow("90") << 90.0 << u"90%"_s << NamedColor::Red << 0.90;
    QTest::newRow("150 fills the bar") << 150.0 << u"150%"_s << NamedColor::Red << 1.0;
    QTest::newRow("0.6 is a sliver") << 0.6 << u"0%"_s << NamedColor::Green << 0.006;
    QTest::newRow("negative draws empty") << -12.5 << u"-12%"_s << NamedColor::Green << 0.0;
    QTest::newRow("NaN") << std::nan("") << u"--%"_s << NamedColor::Green << 0.0;
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << u"--%"_s << NamedColor::Red << 1.0;
}

void TestPanelModel::rows()
{
    QFETCH(double, utilization);
    QFETCH(QString, percent);
    QFETCH(NamedColor, color);
    QFETCH(double, fill);

    const RowModel row = rowModel(UsageLimit{u"Weekly (7d)"_s, utilization, std::nullopt}, Now);
    QCOMPARE(row.percentText, percent);
    QCOMPARE(row.color, color);
    QVERIFY2(std::abs(row.filledFraction - fill) < 1e-9, qPrintable(QString::number(row.filledFraction)));
}

void TestPanelModel::timeLines()
{
    auto reset = [](std::optional<QDateTime> when) {
        return rowModel(UsageLimit{u"5 Hour"_s, 10.0, when}, Now).resetText.value_or(u"<none>"_s);
    };
    QCOMPARE(reset(Now.addSecs(-1)), u"Resets now"_s);
    // The far end of what a date can hold still gives a line, not a failure.
    const QString far = reset(QDateTime::fromMSecsSinceEpoch(std::numeric_limits<qint64>::max() / 2, Qt::UTC));
    QVERIFY2(far.startsWith(u"Resets in "_s) && far.endsWith(u"h"_s), qPrintable(far));

    // The footer's elapsed time; a clock set back puts the last update ahead, which reads as just now.
    const QList<std::pair<qint64, QString>> elapsed{
        {-30, u"0 sec"_s}, {59, u"59 sec"_s},        {179, u"2 min"_s},          {3599, u"59 min"_s},
        {3600, u"1 hr"_s}, {3900, u"1 hr, 5 min"_s}, {86400 + 7200, u"1 day"_s}, {3 * 86400, u"3 days"_s}};
    for (const auto &[secondsAgo, text] : elapsed)
        QCOMPARE(footerText(Now.addSecs(-secondsAgo), Now), u"Updated "_s + text + u" ago"_s);
}

QTEST_GUILESS_MAIN(TestPanelModel)
#include "test_panelmodel.moc"
