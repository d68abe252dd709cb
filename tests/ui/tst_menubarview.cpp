#include "LaunchAtLogin.h"
#include "MenuBarPanel.h"
#include "MenuBarView.h"
#include "Preferences.h"
#include "ProviderSection.h"
#include "RefreshButton.h"
#include "ScriptedProvider.h"
#include "SegmentedPicker.h"
#include "UsageManager.h"
#include "UsageRow.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

class CountingLoginItems : public LoginItemService
{
public:
    bool isEnabled() const override { return false; }
    std::optional<QString> registerItem() override
    {
        ++registrations;
        return std::nullopt;
    }
    std::optional<QString> unregisterItem() override
    {
        ++unregistrations;
        return std::nullopt;
    }
    int registrations = 0;
    int unregistrations = 0;
};

// A real manager over scripted providers, its settings in a temporary file.
struct Fixture
{
    Fixture()
        : settings(dir.filePath(u"quotix.ini"_s), QSettings::IniFormat)
        , preferences(&settings)
        , launchAtLogin(&loginItems)
    {
        claude->available = true;
        codex->available = true;
        manager = std::make_unique<UsageManager>(ProviderList{claude, codex}, &notifications,
                                                 UsageManager::Timing{1h, 1ms});
    }

    bool refreshAndWait()
    {
        QSignalSpy finished(manager.get(), &UsageManager::refreshFinished);
        manager->refresh();
        return finished.wait(5000);
    }

    QTemporaryDir dir;
    QSettings settings;
    Preferences preferences;
    CountingLoginItems loginItems;
    LaunchAtLogin launchAtLogin;
    RecordingNotifications notifications;
    std::shared_ptr<ScriptedProvider> claude = std::make_shared<ScriptedProvider>(u"claude"_s, u"Claude"_s);
    std::shared_ptr<ScriptedProvider> codex = std::make_shared<ScriptedProvider>(u"codex"_s, u"Codex"_s);
    std::unique_ptr<UsageManager> manager;
};

} // namespace

class MenuBarViewTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void errorHidesRows();
    void loadingStates();
    void footerAppearsWithLastUpdated();
    void pickerWritesTheSetting();
    void checkboxSwitchesTheLoginItem();
    void quitShortcut();
    void panelClosesOnEscape();
};

void MenuBarViewTest::errorHidesRows()
{
    Fixture f;
    f.codex->available = false;
    f.claude->script({{usageOf({{"Session (5h)", 42.9}, {"Weekly (7d)", 91.0}})},
                      {ProviderError::apiError(500)}});
    MenuBarView view(f.manager.get(), &f.preferences, &f.launchAtLogin);
    view.show();

    QVERIFY(f.refreshAndWait());
    QTRY_COMPARE(view.visibleSections().size(), 1);
    ProviderSection *section = view.visibleSections().first();
    QCOMPARE(section->title(), u"CLAUDE"_s);
    QCOMPARE(section->visibleRows().size(), 2);
    QCOMPARE(section->visibleRows().at(0)->percentText(), u"42%"_s);
    QCOMPARE(section->visibleRows().at(1)->titleText(), u"Weekly (7d)"_s);
    QVERIFY(!section->showsError());

    QVERIFY(f.refreshAndWait());
    QTRY_VERIFY(section->showsError());
    QCOMPARE(section->errorText(), ProviderError::apiError(500).errorDescription());
    QVERIFY(section->visibleRows().isEmpty());
    QVERIFY(!section->showsWaitingText());
}

void MenuBarViewTest::loadingStates()
{
    Fixture f;
    f.claude->fallback = {usageOf({{"Weekly (7d)", 10.0}}), 150ms};
    f.codex->fallback = {ProviderUsageResponse{}, 150ms};
    MenuBarView view(f.manager.get(), &f.preferences, &f.launchAtLogin);
    view.show();

    QSignalSpy finished(f.manager.get(), &UsageManager::refreshFinished);
    f.manager->refresh();
    QTRY_VERIFY(f.manager->isLoading());
    QTRY_VERIFY(view.showsLoadingPlaceholder());
    RefreshButton *button = view.refreshButton();
    QVERIFY(!button->isEnabled());
    QVERIFY(button->isSpinning());
    QCOMPARE(button->opacity(), 0.7);
    QVERIFY(view.visibleSections().isEmpty());

    QVERIFY(finished.wait(5000));
    QTRY_VERIFY(button->isEnabled());
    QVERIFY(!button->isSpinning());
    QVERIFY(!view.showsLoadingPlaceholder());
    QCOMPARE(view.visibleSections().size(), 2);

    // The button starts the next run; the old figures stay up meanwhile.
    const int attempts = f.claude->attemptTimes.size();
    QTest::mouseClick(button, Qt::LeftButton);
    QTRY_VERIFY(!button->isEnabled());
    QCOMPARE(view.visibleSections().size(), 2);
    QVERIFY(finished.wait(5000));
    QCOMPARE(f.claude->attemptTimes.size(), attempts + 1);

    // Credentials gone: the empty state, and no section.
    f.claude->available = false;
    f.codex->available = false;
    view.hide();
    view.show();
    QVERIFY(view.showsEmptyState());
    QVERIFY(view.visibleSections().isEmpty());
}

void MenuBarViewTest::footerAppearsWithLastUpdated()
{
    Fixture f;
    MenuBarView view(f.manager.get(), &f.preferences, &f.launchAtLogin);
    view.show();
    QVERIFY(!view.showsFooter());

    QVERIFY(f.refreshAndWait());
    QTRY_VERIFY(view.showsFooter());
    QVERIFY2(view.footerText().startsWith(u"Updated "_s) && view.footerText().endsWith(u" sec ago"_s),
             qPrintable(view.footerText()));
}

void MenuBarViewTest::pickerWritesTheSetting()
{
    Fixture f;
    MenuBarView view(f.manager.get(), &f.preferences, &f.launchAtLogin);
    view.show();
    QCOMPARE(view.picker()->currentIndex(), 0); // nothing stored: Weekly

    QSignalSpy changed(&f.preferences, &Preferences::changed);
    QTest::mouseClick(view.picker()->segment(1), Qt::LeftButton);
    QCOMPARE(f.settings.value("menuBarDisplayMode"_L1).toString(), u"session"_s);
    QCOMPARE(changed.size(), 1);
    QTest::mouseClick(view.picker()->segment(0), Qt::LeftButton);
    QCOMPARE(f.settings.value("menuBarDisplayMode"_L1).toString(), u"weekly"_s);

    // A change made elsewhere shows in the picker.
    f.preferences.setDisplayMode(DisplayMode::Session);
    QTRY_COMPARE(view.picker()->currentIndex(), 1);
}

void MenuBarViewTest::checkboxSwitchesTheLoginItem()
{
    Fixture f;
    MenuBarView view(f.manager.get(), &f.preferences, &f.launchAtLogin);
    view.show();
    QCheckBox *box = view.launchAtLoginBox();
    QCOMPARE(box->text(), u"Launch at Login"_s);
    QVERIFY(!box->isChecked());

    QTest::mouseClick(box, Qt::LeftButton);
    QVERIFY(f.launchAtLogin.isEnabled());
    QCOMPARE(f.loginItems.registrations, 1);
    QTest::mouseClick(box, Qt::LeftButton);
    QVERIFY(!f.launchAtLogin.isEnabled());
    QCOMPARE(f.loginItems.unregistrations, 1);

    // Switched elsewhere: the box follows without calling the service again.
    f.launchAtLogin.setEnabled(true);
    QVERIFY(box->isChecked());
    QCOMPARE(f.loginItems.registrations, 2);
}

void MenuBarViewTest::quitShortcut()
{
    Fixture f;
    MenuBarView view(f.manager.get(), &f.preferences, &f.launchAtLogin);
    QSignalSpy quit(&view, &MenuBarView::quitRequested);
    view.show();
    view.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&view));
    QTest::keyClick(&view, Qt::Key_Q, Qt::ControlModifier);
    QCOMPARE(quit.size(), 1);
    QTest::mouseClick(view.quitButton(), Qt::LeftButton);
    QCOMPARE(quit.size(), 2);
}

void MenuBarViewTest::panelClosesOnEscape()
{
    Fixture f;
    MenuBarPanel panel(f.manager.get(), &f.preferences, &f.launchAtLogin);
    QSignalSpy closed(&panel, &MenuBarPanel::closed);
    panel.showAnchored(QRect(), QPoint(100, 5));
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    QCOMPARE(panel.width(), 300);
    const int emptyHeight = panel.height();

    // The height follows the content.
    QVERIFY(f.refreshAndWait());
    QTRY_VERIFY(panel.height() > emptyHeight);

    QTest::keyClick(&panel, Qt::Key_Escape);
    QTRY_VERIFY(!panel.isVisible());
    QCOMPARE(closed.size(), 1);
}

QTEST_MAIN(MenuBarViewTest)
#include "tst_menubarview.moc"
