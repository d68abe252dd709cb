// The controller's launch sequence and its wiring: the first title and the
// title as runs and settings change, the first refresh, wakes, the menu, and a
// panel that a click toggles but a late echo of the closing click does not reopen.
#include "presentation/TrayItem.h"
#include "presentation/TitleLayout.h"
#include "support/FileSizeLimit.h"
#include "support/Files.h"
#include "support/RecordingLoginItems.h"
#include "support/ScriptedProvider.h"
#include "tray/TrayController.h"
#include "tray/HistoryRecorder.h"
#include "ui/AlertSettingsView.h"
#include "ui/HistoryWindow.h"
#include "ui/PanelWindow.h"

#include <QApplication>
#include <QSettings>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

using Sent = QList<std::pair<QString, QString>>; // notifications: title, body

struct FakeTrayItem : TrayItem
{
    void setTitle(const TitleLayout &title, const QStringList &) override { titles.append(title.text()); }
    void setMenu(const QList<TrayMenuEntry> &entries) override { menu = entries; }
    // The menu's entry of that role (a default one when there is none).
    TrayMenuEntry entry(TrayMenuEntry::Role role) const
    {
        const auto found = std::find_if(menu.cbegin(), menu.cend(), [role](const auto &e) { return e.role == role; });
        return found == menu.cend() ? TrayMenuEntry{} : *found;
    }
    QStringList titles;
    QList<TrayMenuEntry> menu;
};

struct FixedUptime : UptimeSource
{
    explicit FixedUptime(double seconds)
        : m_seconds(seconds)
    {}
    std::optional<double> seconds() const override { return m_seconds; }
    double m_seconds;
};

// A controller over one provider at 42 %, launched with a tray item unless told not to.
struct Launch
{
    static constexpr bool WithoutTray = false;
    explicit Launch(double uptime, bool tray = true,
                    std::unique_ptr<LoginItemService> loginItems = std::make_unique<RecordingLoginItems>())
    {
        provider->fallback = {usageOf({{"Weekly (7d)", 42}}), 0ms};
        PlatformServices services{std::make_unique<RecordingNotifications>(), std::move(loginItems),
                                  std::make_unique<FixedUptime>(uptime), std::make_unique<WakeMonitor>()};
        services.desktop.reopenGuard = 150ms;
        wake = services.wakeMonitor.get();
        notifications = static_cast<RecordingNotifications *>(services.notifications.get());
        controller = std::make_unique<TrayController>(ProviderList{provider}, std::move(services),
                                                 TrayController::Timing{20ms, 300ms});
        if (tray)
            dock();
    }
    // At launch, or when a tray host turns up later.
    void dock() { controller->start(std::unique_ptr<TrayItem>(item = new FakeTrayItem)); }

    std::shared_ptr<ScriptedProvider> provider = std::make_shared<ScriptedProvider>(u"claude"_s, u"Claude"_s);
    WakeMonitor *wake = nullptr;
    RecordingNotifications *notifications = nullptr;
    FakeTrayItem *item = nullptr;
    std::unique_ptr<TrayController> controller;
};

// Each extra account becomes a provider named "Claude · work" at 50 %.
TrayController::AccountSource workAccounts(std::function<void(const QList<ExtraAccount> &)> seen = {})
{
    return {[seen](const QList<ExtraAccount> &accounts) {
                if (seen)
                    seen(accounts);
                ProviderList providers;
                for (const QString &id : accountIds(accounts)) {
                    auto provider = std::make_shared<ScriptedProvider>(id, u"Claude \u00B7 work"_s);
                    provider->fallback = {usageOf({{"Weekly (7d)", 50}}), 0ms};
                    providers.append(provider);
                }
                return providers;
            },
            {},
            {}};
}

QList<PanelWindow *> panels()
{
    QList<PanelWindow *> found;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *panel = qobject_cast<PanelWindow *>(widget))
            found.append(panel);
    }
    return found;
}

} // namespace

class TestTrayController : public QObject
{
    Q_OBJECT

    QTemporaryDir m_config;

private Q_SLOTS:
    // The controller opens the user's settings: make them ours before any QSettings exists.
    void initTestCase() { qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path())); }

    void withoutATrayItKeepsWorkingUntilOneAppears()
    {
        Launch launch(3600, Launch::WithoutTray);
        launch.controller->startWithoutItem(u"No tray"_s, u"Enable one"_s);
        QCOMPARE(launch.notifications->sent, (Sent{{u"No tray"_s, u"Enable one"_s}}));
        QTRY_COMPARE(launch.provider->attemptTimes.size(), 1); // refreshing goes on

        // The tray turns up: the item shows what is known now, figures and all.
        launch.dock();
        QTRY_COMPARE(launch.item->titles.value(launch.item->titles.size() - 1), u"Claude 42%"_s);
        QTRY_COMPARE(launch.item->menu.value(0).label, u"Claude \u00B7 Weekly (7d) 42%"_s);
        QCOMPARE(launch.notifications->sent.size(), 1);
        QCOMPARE(panels().size(), 1); // made once, at the first start
    }

    // A switch or a setting that did not stick is told, once, and not shown as done.
    void failedWritesAreToldNotShown()
    {
        Launch launch(3600, true, std::make_unique<RecordingLoginItems>(false, u"No space left on device"_s));
        Q_EMIT launch.item->launchAtLoginRequested(true);
        QCOMPARE(launch.notifications->sent,
                 (Sent{{u"Launch at Login"_s, u"Failed to enable launch at login: No space left on device"_s}}));
        QTest::qWait(50); // the menu follows the switch from the event loop
        QCOMPARE(launch.item->entry(TrayMenuEntry::Role::LaunchAtLogin).role, TrayMenuEntry::Role::LaunchAtLogin);
        QVERIFY(!launch.item->entry(TrayMenuEntry::Role::LaunchAtLogin).checked);

        launch.notifications->sent.clear();
        {
            FileSizeLimit fullDisk;
            Q_EMIT launch.item->showRemainingRequested(true);
            Q_EMIT launch.item->showRemainingRequested(false);
        }
        QCOMPARE(launch.notifications->sent.size(), 1);
        QCOMPARE(launch.notifications->sent.value(0).first, u"Settings not saved"_s);
        QVERIFY2(launch.notifications->sent.value(0).second.endsWith(
                     u"Quotix.conf: File too large. The change lasts until Quotix quits."_s),
                 qPrintable(launch.notifications->sent.value(0).second));
    }

    void launchRefreshesAtOnceButTheTrayItemsRefreshWaitsForTheRun()
    {
        Launch launch(3600);
        launch.provider->fallback.delay = 200ms;
        QCOMPARE(launch.item->titles, QStringList{LoadingText.toString()}); // the hourglass at once
        QTRY_COMPARE(launch.provider->attemptTimes.size(), 1);
        Q_EMIT launch.item->refreshRequested(); // from the tray's menu, or a host's activation
        QTest::qWait(300);
        QCOMPARE(launch.provider->attemptTimes.size(), 1);
        QTRY_COMPARE(launch.item->titles.constLast(), u"Claude 42%"_s);
        // Never "No usage" before the first check has said so.
        QVERIFY2(!launch.item->titles.contains(NoUsageText.toString()), qPrintable(launch.item->titles.join(u'|')));
        Q_EMIT launch.item->refreshRequested();
        QTRY_COMPARE(launch.provider->attemptTimes.size(), 2);

        Q_EMIT launch.wake->woke(); // a wake still supersedes
        QTRY_COMPARE(launch.provider->aborts, 1);
    }

    // The title follows a login, the run it starts and the settings, all without a restart.
    void aLoginThroughTheToolsShowsWithoutARestart()
    {
        QTemporaryDir home;
        Launch launch(3600);
        launch.provider->available = false; // read by the first run, which comes from the event loop
        launch.controller->watchCredentials({home.filePath(u".credentials.json"_s)}, 20ms);
        QTRY_COMPARE(launch.item->titles.constLast(), NoUsageText.toString()); // the first run found nobody

        launch.provider->available = true;
        launch.provider->fallback.delay = 150ms;
        QVERIFY(writeFile(home.filePath(u".credentials.json"_s), R"({"claudeAiOauth":{"accessToken":"t"}})"));
        QTRY_COMPARE_WITH_TIMEOUT(launch.item->titles.constLast(), LoadingText.toString(), 2000);
        QTRY_COMPARE(launch.item->titles.constLast(), u"Claude 42%"_s);
        Q_EMIT launch.item->showRemainingRequested(true);
        QTRY_COMPARE(launch.item->titles.constLast(), u"Claude 58% left"_s);
    }

    // Accounts added to the settings get providers of their own right after
    // their provider, are fetched at once and leave again; the title follows
    // the choice of what it shows.
    void accountsFollowTheSettings()
    {
        QSettings settings(userSettingsPath(nullptr), QSettings::IniFormat);
        settings.remove(SettingsKeys::DisplayAs); // an earlier case's
        settings.sync();
        Launch launch(3600);
        QTRY_COMPARE(launch.item->titles.constLast(), u"Claude 42%"_s);
        QList<QList<ExtraAccount>> made;
        launch.controller->followAccounts(workAccounts([&made](const QList<ExtraAccount> &accounts) {
            made.append(accounts);
        }));
        QCOMPARE(made.size(), 0); // no accounts, nothing to make

        writeAccounts(settings, {{u"claude"_s, m_config.filePath(u"work"_s), u"work"_s}});
        settings.sync();
        QTRY_COMPARE(launch.item->titles.constLast(), u"Claude 42% \u00B7 Claude \u00B7 work 50%"_s);
        settings.setValue(SettingsKeys::TitleLeftOut, QStringList{u"claude"_s});
        settings.sync();
        QTRY_COMPARE(launch.item->titles.constLast(), u"Claude \u00B7 work 50%"_s);
        const qsizetype makes = made.size();
        writeAccounts(settings, {});
        settings.remove(SettingsKeys::TitleLeftOut);
        settings.sync();
        QTRY_COMPARE(launch.item->titles.constLast(), u"Claude 42%"_s);
        QCOMPARE(made.size(), makes + 1);
    }

    void panelAndMenu()
    {
        Launch launch(12); // freshly booted: the first refresh is 18 s away
        QVERIFY(panels().isEmpty()); // the icon goes out first, the panel follows from the event loop
        QTRY_COMPARE(panels().size(), 1);
        PanelWindow *panel = panels().constFirst();
        QVERIFY(!panel->isVisible());
        const auto click = [&] { Q_EMIT launch.item->activated(QRect(100, 0, 22, 22), QPoint(110, 11)); };
        Q_EMIT launch.item->showRequested();
        Q_EMIT launch.item->showRequested(); // the menu's entry shows, never toggles closed
        QVERIFY(panel->isVisible());
        // The popup closes itself on a click on the icon; the host's activation follows a moment later.
        panel->hide();
        Q_EMIT panel->closed();
        click();
        QVERIFY(!panel->isVisible());
        QTest::qWait(200); // past the guard: a click opens it, the next closes it
        QCOMPARE(launch.provider->attemptTimes.size(), 0);
        click();
        QVERIFY(panel->isVisible());
        click();
        QVERIFY(!panel->isVisible());

        // The menu's switch is the panel's, and the menu shows it turned on.
        Q_EMIT launch.item->launchAtLoginRequested(true);
        QTRY_VERIFY(launch.item->entry(TrayMenuEntry::Role::LaunchAtLogin).checked);

        QSignalSpy quit(launch.controller.get(), &TrayController::quitRequested);
        Q_EMIT launch.item->quitRequested();
        Q_EMIT panel->quitRequested();
        QCOMPARE(quit.size(), 2);
    }

    // "History…" in the menu opens the History window over what was recorded.
    void historyOpensFromTheMenu()
    {
        QTemporaryDir dir;
        Launch launch(3600, Launch::WithoutTray);
        launch.controller->recordHistory(dir.filePath(u"history.sqlite"_s));
        QSignalSpy recorded(launch.controller->history(), &HistoryRecorder::recorded);
        QVERIFY(!launch.controller->history()->isRecording()); // opened once the icon is out
        launch.dock();
        QTRY_VERIFY(launch.controller->history()->isRecording());
        QVERIFY(recorded.wait(5000));
        QTRY_COMPARE(launch.item->entry(TrayMenuEntry::Role::History).label, u"History\u2026"_s);
        Q_EMIT launch.item->historyRequested();
        HistoryWindow *window = launch.controller->historyWindow();
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->chartTitles(), QStringList{u"Claude \u00B7 Weekly (7d)"_s});

        // An account added while the window is open is titled by its name, not its id.
        QSettings settings(userSettingsPath(nullptr), QSettings::IniFormat);
        launch.controller->followAccounts(workAccounts());
        writeAccounts(settings, {{u"claude"_s, m_config.filePath(u"work"_s), u"work"_s}});
        settings.sync();
        QTRY_COMPARE(window->chartTitles().size(), 2);
        QVERIFY2(window->chartTitles().contains(u"Claude \u00B7 work \u00B7 Weekly (7d)"_s),
                 qPrintable(window->chartTitles().join(u", ")));
        writeAccounts(settings, {});
        settings.sync();
    }

    // A threshold chosen in the panel rules the tray's next checks, and alerts once.
    // Last here: it leaves the shared settings file as it found it.
    void aThresholdChosenInThePanelAlertsOnce()
    {
        Launch launch(3600);
        QTRY_VERIFY(launch.item->titles.constLast().startsWith(u"Claude "_s)); // 42 %: under the default 80
        AlertSettingsView *alerts = nullptr;
        for (QWidget *widget : QApplication::topLevelWidgets())
            alerts = alerts ? alerts : widget->findChild<AlertSettingsView *>();
        QVERIFY(alerts);
        alerts->thresholdsField(u"claude"_s)->setText(u"40, 95"_s);
        Q_EMIT alerts->thresholdsField(u"claude"_s)->editingFinished();
        for (int run = 2; run <= 3; ++run) {
            Q_EMIT launch.item->refreshRequested();
            QTRY_COMPARE(launch.provider->attemptTimes.size(), run);
        }
        QTest::qWait(100);
        QCOMPARE(launch.notifications->sent, (Sent{{u"Claude Usage Alert"_s, u"Usage is at 42%\nWeekly (7d)"_s}}));
        QVERIFY(QFile::remove(m_config.filePath(u"Quotix/Quotix.conf"_s)));
    }
};

QTEST_MAIN(TestTrayController)
#include "test_traycontroller.moc"
