// The delegate's launch sequence and its wiring: the first title, the first
// refresh, wakes, the settings it reads, and a panel that a click toggles
// but a late echo of the closing click does not reopen.
#include "AppDelegate.h"
#include "MenuBarPanel.h"
#include "ScriptedProvider.h"
#include "TitleLayout.h"
#include "TrayItem.h"

#include <QApplication>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

class FakeTrayItem : public TrayItem
{
public:
    void setTitle(const TitleLayout &title, const QStringList &) override { titles.append(title.text()); }
    QStringList titles;
};

class FixedUptime : public UptimeSource
{
public:
    explicit FixedUptime(double seconds)
        : m_seconds(seconds)
    {
    }
    std::optional<double> seconds() const override { return m_seconds; }

private:
    double m_seconds;
};

class NoLoginItems : public LoginItemService
{
public:
    bool isEnabled() const override { return false; }
    std::optional<QString> registerItem() override { return std::nullopt; }
    std::optional<QString> unregisterItem() override { return std::nullopt; }
};

struct Launch
{
    explicit Launch(double uptime, AppDelegate::Timing timing = {20ms, 150ms})
    {
        provider->fallback = {usageOf({{"Weekly (7d)", 42}}), 0ms};
        PlatformServices services;
        services.notifications = std::make_unique<RecordingNotifications>();
        services.loginItems = std::make_unique<NoLoginItems>();
        services.uptime = std::make_unique<FixedUptime>(uptime);
        auto wakeMonitor = std::make_unique<WakeMonitor>();
        wake = wakeMonitor.get();
        services.wakeMonitor = std::move(wakeMonitor);
        delegate = std::make_unique<AppDelegate>(ProviderList{provider}, std::move(services), timing);
        auto trayItem = std::make_unique<FakeTrayItem>();
        item = trayItem.get();
        delegate->finishLaunching(std::move(trayItem));
    }

    MenuBarPanel *panel() const
    {
        const auto widgets = QApplication::topLevelWidgets();
        for (QWidget *widget : widgets)
            if (auto *panel = qobject_cast<MenuBarPanel *>(widget))
                return panel;
        return nullptr;
    }

    std::shared_ptr<ScriptedProvider> provider = std::make_shared<ScriptedProvider>(u"claude"_s, u"Claude"_s);
    WakeMonitor *wake = nullptr;
    FakeTrayItem *item = nullptr;
    std::unique_ptr<AppDelegate> delegate;
};

} // namespace

class TestDelegate : public QObject
{
    Q_OBJECT

    QTemporaryDir m_config;

private Q_SLOTS:
    void initTestCase()
    {
        // The delegate opens the user's settings: make them ours before any QSettings exists.
        QVERIFY(m_config.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    }

    void cleanup()
    {
        QSettings(QString(SettingsKeys::Organization), QString(SettingsKeys::Application)).clear();
    }

    void launchShowsHourglassThenRefreshesAtOnce()
    {
        Launch launch(3600);
        QCOMPARE(launch.item->titles, QStringList{u"\u23F3"_s});
        QVERIFY(launch.panel());
        QVERIFY(!launch.panel()->isVisible());
        QTRY_COMPARE(launch.item->titles.constLast(), u"* 42%"_s);
        QCOMPARE(launch.provider->attemptTimes.size(), 1);
    }

    void freshBootDelaysTheFirstRefreshButAWakeDoesNot()
    {
        Launch launch(12); // the first refresh is 18 s away
        QTest::qWait(100);
        QCOMPARE(launch.provider->attemptTimes.size(), 0);
        QCOMPARE(launch.item->titles.constLast(), u"\u274C"_s);
        Q_EMIT launch.wake->woke();
        QTest::qWait(5);
        QCOMPARE(launch.provider->attemptTimes.size(), 0);
        QTRY_COMPARE(launch.provider->attemptTimes.size(), 1);
    }

    void refreshIntervalComesFromTheSettings()
    {
        QSettings(QString(SettingsKeys::Organization), QString(SettingsKeys::Application))
            .setValue(SettingsKeys::RefreshInterval, 0.05);
        Launch launch(12); // no first refresh within the test: only the timer fetches
        QTRY_VERIFY(launch.provider->attemptTimes.size() >= 3);
    }

    void clickTogglesButTheClosingClickDoesNotReopen()
    {
        Launch launch(3600);
        MenuBarPanel *panel = launch.panel();
        const auto click = [&] { Q_EMIT launch.item->activated(QRect(100, 0, 22, 22), QPoint(110, 11)); };
        click();
        QVERIFY(panel->isVisible());
        click();
        QVERIFY(!panel->isVisible());
        QTest::qWait(200);

        click();
        // The popup closes itself on a click on the icon; the host's activation follows a moment later.
        panel->hide();
        Q_EMIT panel->closed();
        click();
        QVERIFY(!panel->isVisible());
        QTest::qWait(200); // past the guard: a new click opens it again
        click();
        QVERIFY(panel->isVisible());
    }

    void menuRequests()
    {
        Launch launch(12);
        QSignalSpy quit(launch.delegate.get(), &AppDelegate::quitRequested);
        Q_EMIT launch.item->refreshRequested();
        QTRY_COMPARE(launch.provider->attemptTimes.size(), 1);
        Q_EMIT launch.item->showRequested();
        Q_EMIT launch.item->showRequested(); // shows, never toggles closed
        QVERIFY(launch.panel()->isVisible());
        Q_EMIT launch.item->quitRequested();
        Q_EMIT launch.panel()->quitRequested();
        QCOMPARE(quit.size(), 2);
    }
};

QTEST_MAIN(TestDelegate)
#include "test_delegate.moc"
