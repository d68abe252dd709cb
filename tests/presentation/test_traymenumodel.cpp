// The tray menu's rows from the coordinator's state: figures per limit, a
// provider's error, the empty state and a first load, then the commands.
#include "presentation/EmptyState.h"
#include "presentation/TrayMenuModel.h"
#include "support/ScriptedProvider.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QDateTime Now = QDateTime(QDate(2025, 3, 1), QTime(12, 0), Qt::UTC);
using Role = TrayMenuEntry::Role;

UsageLimit limit(const QString &name, double utilization, std::optional<qint64> window, qint64 resetIn = -1)
{
    UsageLimit result{name, utilization, std::nullopt, LimitKind::Other, window};
    if (resetIn >= 0)
        result.resetTime = Now.addSecs(resetIn);
    return result;
}

struct Fixture
{
    TrayMenuInput input;

    Fixture &provider(const QString &name, std::optional<QList<UsageLimit>> limits,
                      std::optional<QString> error = std::nullopt)
    {
        auto provider = std::make_shared<ScriptedProvider>(name.toLower(), name);
        ProviderState state;
        state.provider = provider;
        if (limits)
            state.usage = ProviderUsageResponse{*limits};
        state.error = error;
        input.availableProviders.append(provider);
        input.providerStates.insert(provider->id(), state);
        return *this;
    }
};

QStringList figures(const TrayMenuModel &model)
{
    QStringList labels;
    for (const TrayMenuEntry &entry : model.entries) {
        if (entry.role == Role::Figures) {
            labels.append(entry.label);
            if (entry.enabled)
                labels.append(u"(enabled!)"_s);
        }
    }
    return labels;
}

} // namespace

class TestTrayMenuModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void figuresFromEachState()
    {
        const qint64 day = 86400, hour = 3600;
        Fixture usage;
        usage
            .provider(u"Claude"_s,
                      QList<UsageLimit>{limit(u"5 Hour"_s, 12.4, 5 * hour, 2 * hour + 300),
                                        limit(u"Weekly"_s, 76, 7 * day, 3 * day + 4 * hour + 59),
                                        limit(u"Code Review"_s, 100.6, std::nullopt, 0)})
            .provider(u"Codex"_s, std::nullopt, u"The saved login\nhas expired."_s);
        usage.input.zone = QTimeZone::utc();
        QCOMPARE(figures(buildTrayMenuModel(usage.input, Now)),
                 (QStringList{u"Claude \u00B7 5 Hour 12% \u00B7 resets in 2h 5m (at 14:05)"_s,
                              u"Claude \u00B7 Weekly (7d) 76% \u00B7 resets in 3d 4h (Tue 16:00)"_s,
                              u"Claude \u00B7 Code Review 100% \u00B7 resets now"_s,
                              u"Codex \u00B7 The saved login has expired."_s}));

        // A first load shows the provider waiting; during a later one the figures stay.
        Fixture loading;
        loading.provider(u"Claude"_s, std::nullopt)
            .provider(u"Codex"_s, QList<UsageLimit>{limit(u"Sonnet"_s, 5, 7 * day)});
        loading.input.isLoading = true;
        QCOMPARE(figures(buildTrayMenuModel(loading.input, Now)),
                 (QStringList{u"Claude \u00B7 Loading\u2026"_s, u"Codex \u00B7 Sonnet (7d) 5%"_s}));

        // Nobody logged in: the empty state, a line per row.
        QCOMPARE(figures(buildTrayMenuModel(Fixture().input, Now)), QString(EmptyStateMessage).split(u'\n'));

        // A state without its provider in the available list is not shown.
        Fixture gone;
        gone.provider(u"Claude"_s, QList<UsageLimit>{limit(u"Weekly"_s, 50, std::nullopt)});
        gone.input.availableProviders.clear();
        QCOMPARE(figures(buildTrayMenuModel(gone.input, Now)), QString(EmptyStateMessage).split(u'\n'));
    }

    void commandsFollowTheFigures()
    {
        Fixture idle;
        idle.provider(u"Claude"_s, QList<UsageLimit>{limit(u"Weekly"_s, 50, std::nullopt)});
        idle.input.launchAtLogin = true;
        const QList<TrayMenuEntry> entries = buildTrayMenuModel(idle.input, Now).entries;
        QList<Role> roles;
        for (const TrayMenuEntry &entry : entries)
            roles.append(entry.role);
        QCOMPARE(roles,
                 (QList<Role>{Role::Figures, Role::Separator, Role::ShowUsage, Role::Refresh, Role::ShowRemaining,
                              Role::LaunchAtLogin, Role::Separator, Role::Quit}));
        QCOMPARE(entries.at(2).label, u"Show Usage\u2026"_s);
        QVERIFY(entries.at(3).enabled);
        QVERIFY(!entries.at(4).checked);
        QCOMPARE(entries.at(5).label, u"Launch at Login"_s);
        QVERIFY(entries.at(5).checked);

        // What is left, when chosen: the row's figure and the check item follow.
        idle.input.displayAs = DisplayAs::Remaining;
        const QList<TrayMenuEntry> remaining = buildTrayMenuModel(idle.input, Now).entries;
        QCOMPARE(remaining.at(0).label, u"Claude \u00B7 Weekly 50% left"_s);
        QVERIFY(remaining.at(4).checked);

        // While a run is in progress Refresh waits; the switch shows the setting.
        idle.input.isLoading = true;
        idle.input.launchAtLogin = false;
        const QList<TrayMenuEntry> busy = buildTrayMenuModel(idle.input, Now).entries;
        QVERIFY(!busy.at(3).enabled);
        QVERIFY(!busy.at(5).checked);
        QVERIFY(busy.at(2).enabled && busy.at(7).enabled);
    }
};

QTEST_GUILESS_MAIN(TestTrayMenuModel)
#include "test_traymenumodel.moc"
