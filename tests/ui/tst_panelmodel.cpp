#include "PanelModel.h"
#include "ScriptedProvider.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

const QDateTime Now = QDateTime(QDate(2025, 3, 1), QTime(12, 0), Qt::UTC);

std::shared_ptr<UsageProvider> provider(const char *id)
{
    const QString name = QString::fromLatin1(id);
    return std::make_shared<ScriptedProvider>(name, name.left(1).toUpper() + name.mid(1));
}

// A state described in one word: "none", "usage", "error", "both" (error beside old usage).
ProviderState state(const std::shared_ptr<UsageProvider> &owner, const QString &kind, bool isLoading = false)
{
    ProviderState result{owner, std::nullopt, std::nullopt, std::nullopt, isLoading};
    if (kind == u"usage"_s || kind == u"both"_s)
        result.usage = usageOf({{"Session (5h)", 42.0}, {"Weekly (7d)", 17.5}});
    if (kind == u"error"_s || kind == u"both"_s)
        result.error = u"Not logged in to Claude"_s;
    return result;
}

QStringList sectionIds(const PanelModel &model)
{
    QStringList ids;
    for (const SectionModel &section : model.sections)
        ids.append(section.id);
    return ids;
}

} // namespace

class PanelModelTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void panelBranches_data();
    void panelBranches();
    void refreshButtonFollowsLoading();
    void sectionBodies_data();
    void sectionBodies();
    void rows_data();
    void rows();
    void resetLine();
    void footerElapsedTime_data();
    void footerElapsedTime();
    void pickerSegments();
};

void PanelModelTest::panelBranches_data()
{
    QTest::addColumn<QStringList>("available");  // provider ids, in list order
    QTest::addColumn<QStringList>("states");     // "id:kind" for each state held
    QTest::addColumn<bool>("isLoading");
    QTest::addColumn<bool>("hasLastUpdated");
    QTest::addColumn<bool>("placeholder");
    QTest::addColumn<QStringList>("sections");
    QTest::addColumn<bool>("emptyState");

    const QStringList both{u"claude"_s, u"codex"_s};
    QTest::newRow("first refresh, no states") << both << QStringList{} << true << false << true << QStringList{} << false;
    QTest::newRow("first refresh, nothing fetched yet")
        << both << QStringList{u"claude:none"_s, u"codex:none"_s} << true << false << true << QStringList{} << false;
    QTest::newRow("refresh after every provider failed")
        << both << QStringList{u"claude:error"_s, u"codex:error"_s} << true << true << true << QStringList{} << false;
    QTest::newRow("refresh keeps earlier figures up")
        << both << QStringList{u"claude:usage"_s, u"codex:none"_s} << true << true << false << both << false;
    QTest::newRow("idle, no states, no update yet")
        << both << QStringList{} << false << false << false << QStringList{} << false;
    QTest::newRow("idle, every kind of state")
        << both << QStringList{u"claude:both"_s, u"codex:error"_s} << false << true << false << both << false;
    QTest::newRow("sections follow the provider list, not the states")
        << QStringList{u"codex"_s, u"claude"_s} << QStringList{u"claude:usage"_s, u"codex:usage"_s} << false << true
        << false << QStringList{u"codex"_s, u"claude"_s} << false;
    QTest::newRow("available provider without a state is skipped")
        << QStringList{u"claude"_s, u"ghost"_s, u"codex"_s} << QStringList{u"claude:usage"_s, u"codex:usage"_s}
        << false << true << false << both << false;
    QTest::newRow("unavailable provider with usage is not listed")
        << QStringList{u"codex"_s} << QStringList{u"claude:usage"_s, u"codex:none"_s} << false << true << false
        << QStringList{u"codex"_s} << false;
    QTest::newRow("no provider available, states with usage")
        << QStringList{} << QStringList{u"claude:usage"_s, u"codex:usage"_s} << false << true << false << QStringList{}
        << true;
    QTest::newRow("no provider available, during a refresh after usage")
        << QStringList{} << QStringList{u"claude:usage"_s} << true << true << false << QStringList{} << true;
}

void PanelModelTest::panelBranches()
{
    QFETCH(QStringList, available);
    QFETCH(QStringList, states);
    QFETCH(bool, isLoading);
    QFETCH(bool, hasLastUpdated);
    QFETCH(bool, placeholder);
    QFETCH(QStringList, sections);
    QFETCH(bool, emptyState);

    QHash<QString, std::shared_ptr<UsageProvider>> providers;
    auto providerFor = [&](const QString &id) {
        if (!providers.contains(id))
            providers.insert(id, provider(id.toLatin1().constData()));
        return providers.value(id);
    };
    PanelInput input;
    for (const QString &id : available)
        input.availableProviders.append(providerFor(id));
    for (const QString &entry : states) {
        const QString id = entry.section(u':', 0, 0);
        input.providerStates.insert(id, state(providerFor(id), entry.section(u':', 1, 1)));
    }
    input.isLoading = isLoading;
    input.statusColor = NamedColor::Yellow;
    if (hasLastUpdated)
        input.lastUpdated = Now.addSecs(-5);

    const PanelModel model = buildPanelModel(input, Now);
    QCOMPARE(model.content == ContentBranch::LoadingPlaceholder, placeholder);
    QCOMPARE(sectionIds(model), sections);
    QCOMPARE(model.showsEmptyState, emptyState);
    // The footer belongs to the provider list; the placeholder stands alone.
    QCOMPARE(model.footer.has_value(), hasLastUpdated && !placeholder);
    if (model.footer) {
        QCOMPARE(model.footer->statusColor, NamedColor::Yellow);
        QCOMPARE(model.footer->text, u"Updated 5 sec ago"_s);
    }
    QCOMPARE(EmptyStateMessage, "No providers configured.\nRun 'claude' or 'codex' in Terminal to log in."_L1);
}

void PanelModelTest::refreshButtonFollowsLoading()
{
    const RefreshButtonState loading = buildPanelModel(PanelInput{{}, {}, true, {}, {}, {}}, Now).refreshButton;
    QVERIFY(!loading.enabled);
    QCOMPARE(loading.opacity, 0.7);
    QVERIFY(loading.spinning);

    const RefreshButtonState idle = buildPanelModel(PanelInput{}, Now).refreshButton;
    QVERIFY(idle.enabled);
    QCOMPARE(idle.opacity, 1.0);
    QVERIFY(!idle.spinning);
}

void PanelModelTest::sectionBodies_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("isLoading");
    QTest::addColumn<SectionBody>("body");
    QTest::addColumn<int>("rows");

    QTest::newRow("never fetched, loading") << u"none"_s << true << SectionBody::Waiting << 0;
    QTest::newRow("never fetched, idle") << u"none"_s << false << SectionBody::Waiting << 0;
    QTest::newRow("usage") << u"usage"_s << false << SectionBody::Rows << 2;
    QTest::newRow("usage, loading") << u"usage"_s << true << SectionBody::Rows << 2;
    QTest::newRow("error only") << u"error"_s << false << SectionBody::Error << 0;
    QTest::newRow("error hides earlier usage") << u"both"_s << true << SectionBody::Error << 0;
}

void PanelModelTest::sectionBodies()
{
    QFETCH(QString, kind);
    QFETCH(bool, isLoading);
    QFETCH(SectionBody, body);
    QFETCH(int, rows);

    const SectionModel section = sectionModel(state(provider("claude"), kind, isLoading), Now);
    QCOMPARE(section.title, u"CLAUDE"_s);
    QCOMPARE(section.isLoading, isLoading);
    QCOMPARE(section.body, body);
    QCOMPARE(section.rows.size(), rows);
    QCOMPARE(section.errorText, body == SectionBody::Error ? u"Not logged in to Claude"_s : QString());
}

void PanelModelTest::rows_data()
{
    QTest::addColumn<double>("utilization");
    QTest::addColumn<QString>("percent");
    QTest::addColumn<NamedColor>("color");
    QTest::addColumn<double>("fill");

    const double inf = std::numeric_limits<double>::infinity();
    QTest::newRow("69.99") << 69.99 << u"69%"_s << NamedColor::Green << 0.6999;
    QTest::newRow("70") << 70.0 << u"70%"_s << NamedColor::Yellow << 0.70;
    QTest::newRow("89.99") << 89.99 << u"89%"_s << NamedColor::Yellow << 0.8999;
    QTest::newRow("90") << 90.0 << u"90%"_s << NamedColor::Red << 0.90;
    QTest::newRow("150 fills the bar") << 150.0 << u"150%"_s << NamedColor::Red << 1.0;
    QTest::newRow("0.6 is a sliver") << 0.6 << u"0%"_s << NamedColor::Green << 0.006;
    QTest::newRow("negative draws empty") << -12.5 << u"-12%"_s << NamedColor::Green << 0.0;
    QTest::newRow("NaN") << std::nan("") << u"--%"_s << NamedColor::Green << 0.0;
    QTest::newRow("infinity") << inf << u"--%"_s << NamedColor::Red << 1.0;
    QTest::newRow("minus infinity") << -inf << u"--%"_s << NamedColor::Green << 0.0;
    QTest::newRow("beyond 64 bits") << 1e300 << u"--%"_s << NamedColor::Red << 1.0;
}

void PanelModelTest::rows()
{
    QFETCH(double, utilization);
    QFETCH(QString, percent);
    QFETCH(NamedColor, color);
    QFETCH(double, fill);

    const RowModel row = rowModel(UsageLimit{u"Weekly (7d)"_s, utilization, std::nullopt}, Now);
    QCOMPARE(row.title, u"Weekly (7d)"_s);
    QCOMPARE(row.percentText, percent);
    QCOMPARE(row.color, color);
    QVERIFY2(std::abs(row.filledFraction - fill) < 1e-9, qPrintable(QString::number(row.filledFraction)));
    QVERIFY(!row.resetText);
}

void PanelModelTest::resetLine()
{
    auto resetIn = [](qint64 seconds) {
        return rowModel(UsageLimit{u"5 Hour"_s, 10.0, Now.addSecs(seconds)}, Now).resetText.value_or(u"<none>"_s);
    };
    QCOMPARE(resetIn(-1), u"Resets now"_s);
    QCOMPARE(resetIn(24 * 3600 + 30 * 60), u"Resets in 24h 30m"_s);
    QCOMPARE(resetIn(25 * 3600), u"Resets in 1d 1h"_s);

    // The far end of what a date can hold still gives a line, not a failure.
    const QDateTime farAway = QDateTime::fromMSecsSinceEpoch(std::numeric_limits<qint64>::max() / 2, Qt::UTC);
    const auto far = rowModel(UsageLimit{u"5 Hour"_s, 10.0, farAway}, Now).resetText;
    QVERIFY(far && far->startsWith(u"Resets in "_s) && far->endsWith(u"h"_s));
}

void PanelModelTest::footerElapsedTime_data()
{
    QTest::addColumn<qint64>("secondsAgo");
    QTest::addColumn<QString>("text");

    QTest::newRow("just now") << qint64(0) << u"Updated 0 sec ago"_s;
    QTest::newRow("59 s") << qint64(59) << u"Updated 59 sec ago"_s;
    QTest::newRow("1 min") << qint64(60) << u"Updated 1 min ago"_s;
    QTest::newRow("2 min") << qint64(179) << u"Updated 2 min ago"_s;
    QTest::newRow("59 min") << qint64(3599) << u"Updated 59 min ago"_s;
    QTest::newRow("1 hr") << qint64(3600) << u"Updated 1 hr ago"_s;
    QTest::newRow("1 hr 5 min") << qint64(3900) << u"Updated 1 hr, 5 min ago"_s;
    QTest::newRow("1 day") << qint64(86400 + 7200) << u"Updated 1 day ago"_s;
    QTest::newRow("3 days") << qint64(3 * 86400) << u"Updated 3 days ago"_s;
    QTest::newRow("clock set back") << qint64(-30) << u"Updated 0 sec ago"_s;
}

void PanelModelTest::footerElapsedTime()
{
    QFETCH(qint64, secondsAgo);
    QFETCH(QString, text);
    QCOMPARE(footerText(Now.addSecs(-secondsAgo), Now), text);
}

void PanelModelTest::pickerSegments()
{
    QCOMPARE(WeeklySegmentLabel, "Weekly"_L1);
    QCOMPARE(SessionSegmentLabel, "5 Hour"_L1);
    QCOMPARE(settingForDisplayMode(displayModeForPickerIndex(0)), u"weekly"_s);
    QCOMPARE(settingForDisplayMode(displayModeForPickerIndex(1)), u"session"_s);
    // Nothing stored reads as weekly: the first segment is selected.
    QCOMPARE(buildPanelModel(PanelInput{}, Now).pickerSelection, displayModeFromSetting(QVariant()));
    QCOMPARE(pickerIndex(displayModeFromSetting(QVariant())), 0);
    QCOMPARE(pickerIndex(DisplayMode::Session), 1);
}

QTEST_GUILESS_MAIN(PanelModelTest)
#include "tst_panelmodel.moc"
