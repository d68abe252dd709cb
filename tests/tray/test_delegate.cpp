// The delegate's launch sequence and its wiring: the first title, the first
// refresh, wakes, the menu, and a panel that a click toggles
// but a late echo of the closing click does not reopen.
#include "core/os/TrayItem.h"
#include "presentation/TitleLayout.h"
#include "support/ScriptedProvider.h"
#include "tray/AppDelegate.h"
#include "ui/MenuBarPanel.h"

#include <QApplication>
#include <QCheckBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

struct FakeTrayItem : TrayItem
{
    void setTitle(const TitleLayout &title, const QStringList &) override { titles.append(title.text()); }
    void setMenu(const QList<TrayMenuEntry> &entries) override { menu = entries; }
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

struct NoLoginItems : LoginItemService
{
    bool isEnabled() const override { return false; }
    std::optional<QString> registerItem() override { return {}; }
    std::optional<QString> unregisterItem() override { return {}; }
};

struct Launch
{
    enum class Tray {
        Present,
        Missing
    };
    explicit Launch(double uptime, Tray tray = Tray::Present, bool loggedIn = true)
    {
        provider->available = loggedIn;
        provider->fallback = {usageOf({{"Weekly (7d)", 42}}), 0ms};
        PlatformServices services{std::make_unique<RecordingNotifications>(), std::make_unique<NoLoginItems>(),
                                  std::make_unique<FixedUptime>(uptime), std::make_unique<WakeMonitor>()};
        wake = services.wakeMonitor.get();
        notifications = static_cast<RecordingNotifications *>(services.notifications.get());
        delegate = std::make_unique<AppDelegate>(ProviderList{provider}, std::move(services),
                                                 AppDelegate::Timing{20ms, 150ms});
        if (tray == Tray::Present)
            delegate->finishLaunching(std::unique_ptr<TrayItem>(item = new FakeTrayItem));
        else
            delegate->finishLaunchingWithoutItem(u"No tray"_s, u"Enable one"_s);
        for (QWidget *widget : QApplication::topLevelWidgets())
            panel = panel ? panel : qobject_cast<MenuBarPanel *>(widget);
    }

    std::shared_ptr<ScriptedProvider> provider = std::make_shared<ScriptedProvider>(u"claude"_s, u"Claude"_s);
    WakeMonitor *wake = nullptr;
    RecordingNotifications *notifications = nullptr;
    FakeTrayItem *item = nullptr;
    MenuBarPanel *panel = nullptr;
    std::unique_ptr<AppDelegate> delegate;
};

} // namespace

class TestDelegate : public QObject
{
    Q_OBJECT

    QTemporaryDir m_config;

private Q_SLOTS:
    // The delegate opens the user's settings: make them ours before any QSettings exists.
    void initTestCase() { qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path())); }

    void launchShowsHourglassThenRefreshesAtOnceUnlessFreshlyBooted()
    {
        Launch launch(3600);
        QCOMPARE(launch.item->titles, QStringList{LoadingText.toString()});
        QVERIFY(launch.panel && !launch.panel->isVisible());
        QTRY_COMPARE(launch.item->titles.constLast(), u"Claude 42%"_s);

        Launch fresh(12); // the first refresh is 18 s away, but a wake brings it
        QTest::qWait(100);
        QCOMPARE(fresh.provider->attemptTimes.size(), 0);
        Q_EMIT fresh.wake->woke();
        QTRY_COMPARE(fresh.provider->attemptTimes.size(), 1);
        QCOMPARE(launch.provider->attemptTimes.size(), 1);
    }

    void withoutATrayItKeepsWorkingUntilOneAppears()
    {
        Launch launch(3600, Launch::Tray::Missing);
        using Sent = QList<std::pair<QString, QString>>;
        QCOMPARE(launch.notifications->sent, (Sent{{u"No tray"_s, u"Enable one"_s}}));
        QTRY_COMPARE(launch.provider->attemptTimes.size(), 1); // refreshing goes on

        // The tray turns up: the item shows what is known now, figures and all.
        launch.delegate->finishLaunching(std::unique_ptr<TrayItem>(launch.item = new FakeTrayItem));
        QTRY_VERIFY(!launch.item->titles.isEmpty() && launch.item->titles.constLast().contains(u"42%"_s));
        QTRY_VERIFY(!launch.item->menu.isEmpty()
                    && launch.item->menu.constFirst().label == u"Claude \u00B7 Weekly (7d) 42%"_s);
        QCOMPARE(launch.notifications->sent.size(), 1);
    }

    void theTrayItemsRefreshWaitsForTheRunInProgress()
    {
        Launch launch(3600);
        launch.provider->fallback.delay = 200ms;
        QTRY_COMPARE(launch.provider->attemptTimes.size(), 1);
        Q_EMIT launch.item->refreshRequested(); // from the tray's menu, or a host's activation
        QTest::qWait(300);
        QCOMPARE(launch.provider->aborts, 0);
        QCOMPARE(launch.provider->attemptTimes.size(), 1);
        Q_EMIT launch.item->refreshRequested();
        QTRY_COMPARE(launch.provider->attemptTimes.size(), 2);

        Q_EMIT launch.wake->woke(); // a wake still supersedes
        QTRY_COMPARE(launch.provider->aborts, 1);
    }

    void aLoginThroughTheToolsShowsWithoutARestart()
    {
        QTemporaryDir home;
        const QString credentials = home.filePath(u".credentials.json"_s);
        Launch launch(3600, Launch::Tray::Present, false);
        launch.delegate->watchCredentials({credentials}, 20ms);
        QTest::qWait(100); // the first run found nobody
        QCOMPARE(launch.provider->attemptTimes.size(), 0);
        const QString loggedOut = launch.item->titles.constLast();
        QVERIFY(!loggedOut.contains(u"42%"_s));

        QFile file(credentials);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(R"({"claudeAiOauth":{"accessToken":"t"}})");
        file.close();
        launch.provider->available = true;
        QTRY_COMPARE_WITH_TIMEOUT(launch.item->titles.constLast(), u"Claude 42%"_s, 2000);

        launch.provider->available = false;
        QVERIFY(QFile::remove(credentials));
        QTRY_COMPARE_WITH_TIMEOUT(launch.item->titles.constLast(), loggedOut, 2000);
    }

    void panelAndMenu()
    {
        Launch launch(12);
        const auto click = [&] { Q_EMIT launch.item->activated(QRect(100, 0, 22, 22), QPoint(110, 11)); };
        Q_EMIT launch.item->showRequested();
        Q_EMIT launch.item->showRequested(); // the menu's entry shows, never toggles closed
        QVERIFY(launch.panel->isVisible());
        // The popup closes itself on a click on the icon; the host's activation follows a moment later.
        launch.panel->hide();
        Q_EMIT launch.panel->closed();
        click();
        QVERIFY(!launch.panel->isVisible());
        QTest::qWait(200); // past the guard: a click opens it, the next closes it
        click();
        QVERIFY(launch.panel->isVisible());
        click();
        QVERIFY(!launch.panel->isVisible());

        QSignalSpy quit(launch.delegate.get(), &AppDelegate::quitRequested);
        Q_EMIT launch.item->refreshRequested();
        QTRY_COMPARE(launch.provider->attemptTimes.size(), 1);
        // The menu's switch is the panel's.
        auto *checkbox = launch.panel->findChild<QCheckBox *>();
        QVERIFY(checkbox && !checkbox->isChecked());
        Q_EMIT launch.item->launchAtLoginRequested(true);
        QVERIFY(checkbox->isChecked());
        QTRY_VERIFY(std::any_of(launch.item->menu.cbegin(), launch.item->menu.cend(), [](const TrayMenuEntry &e) {
            return e.role == TrayMenuEntry::Role::LaunchAtLogin && e.checked;
        }));

        Q_EMIT launch.item->quitRequested();
        Q_EMIT launch.panel->quitRequested();
        QCOMPARE(quit.size(), 2);
    }
};

QTEST_MAIN(TestDelegate)
#include "test_delegate.moc"
