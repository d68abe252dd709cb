#include "core/LaunchAtLogin.h"
#include "support/ScriptedProvider.h"
#include "ui/MenuBarPanel.h"
#include "ui/MenuBarView.h"
#include "ui/ProviderSection.h"
#include "ui/RefreshButton.h"
#include "ui/SegmentedPicker.h"
#include "ui/UsageBar.h"
#include "ui/UsageRow.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

struct RecordingLoginItems : LoginItemService
{
    bool isEnabled() const override { return false; }
    std::optional<QString> registerItem() override { return record(u"register"_s); }
    std::optional<QString> unregisterItem() override { return record(u"unregister"_s); }
    std::optional<QString> record(const QString &call)
    {
        calls.append(call);
        return std::nullopt;
    }
    QStringList calls;
};

// A real manager over scripted providers, its settings in a temporary file.
struct Fixture
{
    bool refreshAndWait()
    {
        QSignalSpy finished(&manager, &UsageManager::refreshFinished);
        manager.refresh();
        return finished.wait(5000);
    }

    QTemporaryDir dir;
    QSettings settings{dir.filePath(u"quotix.ini"_s), QSettings::IniFormat};
    Preferences preferences{&settings};
    RecordingLoginItems loginItems;
    LaunchAtLogin launchAtLogin{&loginItems};
    RecordingNotifications notifications;
    std::shared_ptr<ScriptedProvider> claude = std::make_shared<ScriptedProvider>(u"claude"_s, u"Claude"_s);
    std::shared_ptr<ScriptedProvider> codex = std::make_shared<ScriptedProvider>(u"codex"_s, u"Codex"_s);
    UsageManager manager{ProviderList{claude, codex}, &notifications, UsageManager::Timing{1h, 1ms}};
    MenuBarView view{&manager, &preferences, &launchAtLogin};
};

} // namespace

class TestMenuBarView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void errorHidesRows();
    void rowsShowPace();
    void loadingThenFooter();
    void controlsWriteThrough();
    void panelKeys();
    void windowModesCloseWhenLeft();
};

void TestMenuBarView::errorHidesRows()
{
    Fixture f;
    const QString expired = u"The saved login expired 3 h ago. Open Claude Code once to renew it."_s;
    f.claude->script({{usageOf({{"Session (5h)", 42.9}, {"Weekly (7d)", 91.0}})},
                      {ProviderError::apiError(500)},
                      {ProviderError::notLoggedIn(u"Claude"_s).withDetail(expired)},
                      {ProviderError::apiError(500)}});
    f.view.show();

    QVERIFY(f.refreshAndWait());
    QTRY_COMPARE(f.view.visibleSections().size(), 2);
    ProviderSection *section = f.view.visibleSections().first();
    QCOMPARE(section->visibleRows().size(), 2);

    QVERIFY(f.refreshAndWait());
    QTRY_VERIFY(section->showsError());
    QCOMPARE(section->errorText(), ProviderError::apiError(500).errorDescription());
    QVERIFY(section->visibleRows().isEmpty());
    QCOMPARE(section->errorDetailText(), QString());

    // The line under the error comes with the error that brings it, and goes with it.
    QVERIFY(f.refreshAndWait());
    QTRY_COMPARE(section->errorText(), u"Not logged in to Claude."_s);
    QCOMPARE(section->errorDetailText(), expired);
    QVERIFY(f.refreshAndWait());
    QTRY_COMPARE(section->errorText(), ProviderError::apiError(500).errorDescription());
    QCOMPARE(section->errorDetailText(), QString());
}

void TestMenuBarView::rowsShowPace()
{
    Fixture f;
    // 80 % of a week used at its half: ahead of pace. The session's length is unknown.
    const QDateTime now = QDateTime::currentDateTimeUtc();
    ProviderUsageResponse usage;
    usage.limits = {UsageLimit{u"Weekly"_s, 80.0, now.addSecs(7 * 12 * 3600), LimitKind::Weekly, 7 * 24 * 3600},
                    UsageLimit{u"Session"_s, 95.0, now.addSecs(3600), LimitKind::Session, std::nullopt}};
    f.claude->fallback = {usage};
    f.view.show();
    QVERIFY(f.refreshAndWait());
    QTRY_COMPARE(f.view.visibleSections().size(), 2);
    const QList<UsageRow *> rows = f.view.visibleSections().first()->visibleRows();
    QCOMPARE(rows.size(), 2);

    QVERIFY(rows[0]->bar()->marker());
    QVERIFY(qAbs(*rows[0]->bar()->marker() - 0.5) < 0.01);
    QVERIFY2(rows[0]->projectionText().startsWith(u"At this pace: runs out in 2"_s),
             qPrintable(rows[0]->projectionText()));
    QVERIFY2(rows[0]->toolTip().startsWith(u"Resets "_s), qPrintable(rows[0]->toolTip())); // the clock time
    QVERIFY(!rows[1]->bar()->marker());
    QVERIFY(rows[1]->projectionText().isEmpty());
}

void TestMenuBarView::loadingThenFooter()
{
    Fixture f;
    f.claude->fallback = {usageOf({{"Weekly (7d)", 10.0}}), 150ms};
    f.codex->fallback = {ProviderUsageResponse{}, 150ms};
    f.view.show();
    RefreshButton *button = f.view.refreshButton();
    QVERIFY(!f.view.showsFooter());

    QSignalSpy finished(&f.manager, &UsageManager::refreshFinished);
    f.manager.refresh();
    QTRY_VERIFY(f.view.showsLoadingPlaceholder());
    QVERIFY(!button->isEnabled());
    QVERIFY(button->isSpinning());
    QVERIFY(finished.wait(5000));
    QTRY_VERIFY(button->isEnabled());
    QCOMPARE(f.view.visibleSections().size(), 2);
    QVERIFY(f.view.showsFooter());
    QVERIFY2(f.view.footerText().endsWith(u" sec ago"_s), qPrintable(f.view.footerText()));

    // The button starts the next run; the old figures stay up meanwhile.
    QTest::mouseClick(button, Qt::LeftButton);
    QTRY_VERIFY(!button->isEnabled());
    QCOMPARE(f.view.visibleSections().size(), 2);
    QVERIFY(finished.wait(5000));
}

void TestMenuBarView::controlsWriteThrough()
{
    Fixture f;
    f.view.show();
    SegmentedPicker *picker = f.view.picker();
    QCOMPARE(picker->segment(0)->text(), u"Weekly"_s);
    QCOMPARE(picker->segment(1)->text(), u"5 Hour"_s);
    QCOMPARE(picker->currentIndex(), 0); // nothing stored reads as weekly
    QTest::mouseClick(picker->segment(1), Qt::LeftButton);
    QCOMPARE(f.settings.value("menuBarDisplayMode"_L1).toString(), u"session"_s);
    QTest::mouseClick(picker->segment(0), Qt::LeftButton);
    QCOMPARE(f.settings.value("menuBarDisplayMode"_L1).toString(), u"weekly"_s);

    // Used or remaining, under it; the rows follow the choice.
    f.claude->fallback = {usageOf({{"Weekly (7d)", 76.0}})};
    QVERIFY(f.refreshAndWait());
    const auto firstPercent = [&f] {
        const auto sections = f.view.visibleSections();
        const auto rows = sections.isEmpty() ? QList<UsageRow *>() : sections.first()->visibleRows();
        return rows.isEmpty() ? QString() : rows.first()->percentText();
    };
    SegmentedPicker *shownAs = f.view.displayAsPicker();
    QCOMPARE(shownAs->segment(0)->text(), u"Used"_s);
    QCOMPARE(shownAs->segment(1)->text(), u"Remaining"_s);
    QCOMPARE(shownAs->currentIndex(), 0);
    QTest::mouseClick(shownAs->segment(1), Qt::LeftButton);
    QCOMPARE(f.settings.value("displayAs"_L1).toString(), u"remaining"_s);
    QTRY_COMPARE(firstPercent(), u"24% left"_s);
    QTest::mouseClick(shownAs->segment(0), Qt::LeftButton);
    QCOMPARE(f.settings.value("displayAs"_L1).toString(), u"used"_s);
    QTRY_COMPARE(firstPercent(), u"76%"_s);

    QCheckBox *box = f.view.launchAtLoginBox();
    QCOMPARE(box->text(), u"Launch at Login"_s);
    QTest::mouseClick(box, Qt::LeftButton);
    QTest::mouseClick(box, Qt::LeftButton);
    QCOMPARE(f.loginItems.calls, (QStringList{u"register"_s, u"unregister"_s}));

    // Changes made elsewhere show, without the box calling the service again.
    f.preferences.setDisplayMode(DisplayMode::Session);
    f.launchAtLogin.setEnabled(true);
    QTRY_COMPARE(picker->currentIndex(), 1);
    QVERIFY(box->isChecked());
    QCOMPARE(f.loginItems.calls.size(), 3);
}

void TestMenuBarView::panelKeys()
{
    Fixture f;
    MenuBarPanel panel(&f.manager, &f.preferences, &f.launchAtLogin);
    QSignalSpy quit(&panel, &MenuBarPanel::quitRequested);
    QSignalSpy closed(&panel, &MenuBarPanel::closed);
    panel.showAnchored(QRect(), QPoint(100, 5));
    QVERIFY(QTest::qWaitForWindowActive(&panel));
    const int emptyHeight = panel.height();

    // The height follows the content.
    QVERIFY(f.refreshAndWait());
    QTRY_VERIFY(panel.height() > emptyHeight);

    QTest::keyClick(&panel, Qt::Key_Q, Qt::ControlModifier);
    QTest::mouseClick(panel.view()->quitButton(), Qt::LeftButton);
    QCOMPARE(quit.size(), 2);

    QTest::keyClick(&panel, Qt::Key_Escape);
    QTRY_VERIFY(!panel.isVisible());
    QCOMPARE(closed.size(), 1);
}

void TestMenuBarView::windowModesCloseWhenLeft()
{
    Fixture f;
    MenuBarPanel panel(&f.manager, &f.preferences, &f.launchAtLogin);
    QSignalSpy closed(&panel, &MenuBarPanel::closed);

    // Where no grab sees a click outside, turning to another window closes it.
    for (PanelMode mode : {PanelMode::PlacedWindow, PanelMode::AnchoredTool}) {
        panel.showPlaced(PanelPlacement{mode, QRect(1000, 2, 24, 24), QPoint()});
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QCOMPARE(panel.mode(), mode);
        QEvent deactivate(QEvent::WindowDeactivate);
        QCoreApplication::sendEvent(&panel, &deactivate);
        QTRY_VERIFY(!panel.isVisible());
    }
    QCOMPARE(closed.size(), 2);

    // A titled window of its own; opening it again keeps the one window, and Escape closes it.
    panel.showPlaced(PanelPlacement{});
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    QCOMPARE(panel.windowTitle(), u"Quotix"_s);
    QVERIFY(!(panel.windowFlags() & Qt::FramelessWindowHint));
    QVERIFY(!panel.windowIcon().isNull());
    panel.showPlaced(PanelPlacement{PanelMode::AnchoredPopup, QRect(), QPoint(5, 5)});
    QCOMPARE(panel.mode(), PanelMode::PlacedWindow);
    QVERIFY(panel.isVisible());
    QTest::keyClick(&panel, Qt::Key_Escape);
    QTRY_VERIFY(!panel.isVisible());

    // The popup does not close on deactivation: its grab handles clicks outside.
    panel.showPlaced(PanelPlacement{PanelMode::AnchoredPopup, QRect(), QPoint(100, 5)});
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    QVERIFY(panel.windowFlags().testFlag(Qt::Popup));
    QEvent deactivate(QEvent::WindowDeactivate);
    QCoreApplication::sendEvent(&panel, &deactivate);
    QVERIFY(panel.isVisible());
    panel.close();
}

QTEST_MAIN(TestMenuBarView)
#include "test_menubarview.moc"
