#include "core/AlertRules.h"
#include "core/LaunchAtLogin.h"
#include "presentation/Translations.h"
#include "support/ManagerFixture.h"
#include "support/RecordingLoginItems.h"
#include "ui/AlertSettingsView.h"
#include "ui/PanelWindow.h"
#include "ui/ProviderChoices.h"
#include "ui/PanelView.h"
#include "ui/ProviderSection.h"
#include "ui/RefreshButton.h"
#include "ui/ScrollStack.h"
#include "ui/SegmentedPicker.h"
#include "ui/UsageBar.h"
#include "ui/UsageRow.h"
#include "ui/WindowChartView.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QLayout>
#include <QMenu>
#include <QLineEdit>
#include <QToolButton>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

// A real manager over scripted providers, its settings in a temporary file.
struct Fixture : ManagerFixture
{
    Fixture()
        : ManagerFixture(true, UsageManager::Timing{1h, 1ms, 0ms})
    {}
    // Shown with its first figures in.
    bool showLoaded()
    {
        view.show();
        return refreshAndWait() && QTest::qWaitFor([this] { return !view.visibleSections().isEmpty(); });
    }

    QTemporaryDir dir;
    QSettings settings{dir.filePath(u"quotix.ini"_s), QSettings::IniFormat};
    Preferences preferences{&settings};
    RecordingLoginItems loginItems;
    LaunchAtLogin launchAtLogin{&loginItems};
    std::shared_ptr<ScriptedProvider> &claude = first, &codex = second;
    PanelView view{&manager, &preferences, &launchAtLogin};
};

// The panel's geometry when its native window is made: what the window manager is first told.
struct CreationGeometry : QObject
{
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::WinIdChange)
            geometries.append(static_cast<QWidget *>(watched)->geometry());
        return false;
    }
    QList<QRect> geometries;
};

// The pixels of the area drawn in a band colour.
int colouredPixels(const QImage &image, const QRect &area)
{
    int coloured = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            coloured += QColor(image.pixel(x, y)).hsvSaturationF() > 0.4 && qAlpha(image.pixel(x, y)) > 128;
    return coloured;
}

// The share of a bar's width drawn in a band colour, read off its pixels, to the nearest 5 %.
int filledPercent(QWidget *bar)
{
    const QImage image = bar->grab().toImage();
    return qRound(colouredPixels(image, QRect(0, image.height() / 2, image.width(), 1)) * 20.0 / image.width()) * 5;
}

} // namespace

class TestPanelView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // No plugins beyond the platform's, already loaded: as where the optional ones are not installed.
    void initTestCase() { QCoreApplication::setLibraryPaths({}); }

    // Claude through a first load, its figures, a refresh that fails, another error and a logout.
    void showsLoadingEveryLimitErrorsAndTheEmptyState()
    {
        Fixture f;
        // 80 % of a week used at its half: ahead of pace. The session's length is unknown.
        const QDateTime now = QDateTime::currentDateTimeUtc();
        ProviderUsageResponse usage;
        usage.limits = {UsageLimit{u"Weekly"_s, 80.0, now.addSecs(84 * 3600 + 60), LimitKind::Weekly, 7 * 24 * 3600},
                        UsageLimit{u"Session"_s, 95.0, now.addSecs(3600 + 30), LimitKind::Session, std::nullopt}};
        const QString expired = u"The saved login expired 3 h ago. Open Claude Code once to renew it."_s;
        f.claude->script({{usage, 150ms},
                          {ProviderError::notLoggedIn(u"Claude"_s).withDetail(expired), 150ms},
                          {ProviderError::apiError(500)}});
        f.codex->fallback.delay = 150ms;
        f.view.show();
        RefreshButton *button = f.view.refreshButton();

        // Before the first check nothing is known, not even that nobody is logged in.
        QVERIFY(f.view.showsLoadingPlaceholder() && !f.view.showsEmptyState());
        f.manager.refresh();
        QTRY_VERIFY(!button->isEnabled());
        QVERIFY(f.view.showsLoadingPlaceholder() && button->isSpinning());
        QTRY_VERIFY(button->isEnabled());
        QCOMPARE(f.view.visibleSections().size(), 2);
        QVERIFY2(f.view.showsFooter() && f.view.footerText().endsWith(u" sec ago"_s), qPrintable(f.view.footerText()));
        ProviderSection *section = f.view.visibleSections().first();
        const QList<UsageRow *> rows = section->visibleRows();
        QCOMPARE(rows.size(), 2);
        const auto shown = [](UsageRow *row) {
            return u"%1, bar %2%, %3"_s.arg(row->percentText()).arg(filledPercent(row->bar())).arg(row->resetText());
        };
        QCOMPARE(shown(rows[0]), u"80%, bar 80%, Resets in 3d 12h"_s);
        QCOMPARE(shown(rows[1]), u"95%, bar 95%, Resets in 1h 0m"_s);
        QVERIFY(rows[0]->bar()->marker() && qAbs(*rows[0]->bar()->marker() - 0.5) < 0.01);
        QVERIFY(rows[0]->projectionText().startsWith(u"At this pace: runs out in 2"_s));
        QVERIFY(rows[0]->toolTip().startsWith(u"Resets "_s)); // the clock time
        QVERIFY(!rows[1]->bar()->marker() && rows[1]->projectionText().isEmpty());

        // The button starts the next run; the figures stay up meanwhile, until an error takes their place.
        QTest::mouseClick(button, Qt::LeftButton);
        QTRY_VERIFY(!button->isEnabled());
        QCOMPARE(section->visibleRows().size(), 2);
        QTRY_VERIFY(section->showsError());
        QVERIFY(section->visibleRows().isEmpty());
        // The line under the error comes with the error that brings it, and goes with it.
        QCOMPARE(section->errorText(), u"Not logged in to Claude."_s);
        QCOMPARE(section->errorDetailText(), expired);
        // A failure of the service's own passes: the last figures come back, with their age.
        QVERIFY(f.refreshAndWait());
        QTRY_VERIFY(!section->showsError());
        QCOMPARE(section->visibleRows().size(), 2);
        QVERIFY2(section->notesText().startsWith(u"as of "_s)
                     && section->notesText().endsWith(ProviderError::apiError(500).errorDescription()),
                 qPrintable(section->notesText()));
        QCOMPARE(section->errorDetailText(), QString());

        // Both log out: no section stays behind the empty state.
        f.claude->available = f.codex->available = false;
        QVERIFY(f.refreshAndWait());
        QTRY_VERIFY(f.view.showsEmptyState());
        QVERIFY(f.view.visibleSections().isEmpty());
    }

    void controlsWriteThrough()
    {
        Fixture f;
        f.claude->fallback = {usageOf({{"Weekly (7d)", 76.0}})};
        QVERIFY(f.showLoaded());
        const UsageRow *row = f.view.visibleSections().first()->visibleRows().constFirst();
        // Each segment stores its value; the rows follow used or remaining.
        QTest::mouseClick(f.view.picker()->segment(1), Qt::LeftButton);
        QCOMPARE(f.settings.value("menuBarDisplayMode"_L1).toString(), u"session"_s);
        QTest::mouseClick(f.view.displayAsPicker()->segment(1), Qt::LeftButton);
        QCOMPARE(f.settings.value("displayAs"_L1).toString(), u"remaining"_s);
        QTRY_COMPARE(row->percentText(), u"24% left"_s);

        QCheckBox *box = f.view.launchAtLoginBox();
        QTest::mouseClick(box, Qt::LeftButton);
        QTest::mouseClick(box, Qt::LeftButton);
        QCOMPARE(f.loginItems.calls, (QStringList{u"register"_s, u"unregister"_s}));

        // Changes made elsewhere show, without the box calling the service again.
        f.preferences.setDisplayMode(DisplayMode::Weekly);
        f.launchAtLogin.setEnabled(true);
        QTRY_COMPARE(f.view.picker()->currentIndex(), 0);
        QVERIFY(box->isChecked());
        QCOMPARE(f.loginItems.calls.size(), 3);
    }

    // Thresholds and switches per provider, set in the panel and read back as
    // the tray reads them; typing that does not read says why and changes nothing.
    void alertsAreChosenInThePanel()
    {
        Fixture f;
        f.view.show();
        AlertSettingsView *alerts = f.view.alertSettings();
        QVERIFY(!alerts->findChild<QLineEdit *>()); // made when first wanted
        QLineEdit *claude = alerts->thresholdsField(u"claude"_s);
        QVERIFY(claude && alerts->thresholdsField(u"codex"_s));
        QVERIFY(!claude->isVisible()); // folded until opened
        QSignalSpy resized(&f.view, &PanelView::contentChanged);
        QTest::mouseClick(alerts->toggle(), Qt::LeftButton);
        QVERIFY(claude->isVisible() && !resized.isEmpty());
        QCOMPARE(claude->text(), u"80, 90"_s);

        const auto type = [&](const QString &text) {
            claude->setFocus();
            claude->selectAll();
            QTest::keyClicks(claude, text);
            QTest::keyClick(claude, Qt::Key_Return);
        };
        type(u"95 70,"_s);
        QCOMPARE(claude->text(), u"70, 95"_s);
        QCOMPARE(alerts->errorText(u"claude"_s), QString());
        const QList<std::pair<QString, QString>> refused{
            {u"abc"_s, u"\u201Cabc\u201D is not a whole percentage."_s},
            {u"0, 50"_s, u"0% is outside 1 to 100."_s},
            {u"150"_s, u"150% is outside 1 to 100."_s},
            {u"80, 80"_s, u"80% is listed twice."_s},
            {u" "_s, u"Enter at least one threshold, such as 80, 90."_s},
        };
        for (const auto &[text, message] : refused) {
            type(text);
            QCOMPARE(alerts->errorText(u"claude"_s), message);
            QCOMPARE(claude->text(), text); // left to mend
            QSettings stored(f.settings.fileName(), QSettings::IniFormat);
            QCOMPARE(alertRulesFromSettings(stored, u"claude"_s).thresholds, (QList<int>{70, 95}));
        }

        QTest::mouseClick(alerts->switchBox(u"codex"_s, AlertKeys::ResetAlerts), Qt::LeftButton);
        QTest::mouseClick(alerts->switchBox(u"codex"_s, AlertKeys::ThresholdAlerts), Qt::LeftButton);
        QSettings stored(f.settings.fileName(), QSettings::IniFormat);
        const AlertRules codex = alertRulesFromSettings(stored, u"codex"_s);
        QVERIFY(!codex.resetAlerts && !codex.thresholdAlerts && codex.runOutAlerts);
        QCOMPARE(codex.thresholds, (QList<int>{80, 90}));
        QVERIFY(!alerts->thresholdsField(u"codex"_s)->isEnabled());
        // The refused typing waited through the other provider's change; a
        // closed panel opens again on what is in effect.
        QCOMPARE(claude->text(), u" "_s);
        f.view.hide();
        f.view.show();
        QCOMPARE(claude->text(), u"70, 95"_s);
        QCOMPARE(alerts->errorText(u"claude"_s), QString());

        // An account added later gets its own settings; the section stays open.
        f.manager.setProviders({f.claude, f.codex, std::make_shared<ScriptedProvider>(u"claude-work"_s, u"Claude · work"_s)});
        QTRY_VERIFY(f.view.alertSettings()->thresholdsField(u"claude-work"_s));
        QTRY_VERIFY(f.view.alertSettings()->thresholdsField(u"claude-work"_s)->isVisible());
    }

    // Rows whose window has recorded history get its chart; the others, and a
    // panel without history, show none.
    void rowsChartTheirWindowFromTheHistory()
    {
        Fixture f;
        const QDateTime now = QDateTime::currentDateTimeUtc();
        const QDateTime reset = now.addSecs(84 * 3600);
        ProviderUsageResponse usage;
        usage.limits = {UsageLimit{u"Weekly"_s, 40.0, reset, LimitKind::Weekly, 7 * 24 * 3600},
                        UsageLimit{u"Session"_s, 20.0, now.addSecs(3600), LimitKind::Session, std::nullopt}};
        f.claude->fallback = {usage};
        const auto sample = [&](const QString &provider, double used, int fromHoursAgo, int untilHoursAgo) {
            return HistorySample{provider, u"Weekly"_s, LimitKind::Weekly, 7 * 24 * 3600, used, reset,
                                 now.addSecs(-fromHoursAgo * 3600), now.addSecs(-untilHoursAgo * 3600)};
        };
        QVERIFY(f.view.historyButton()->isHidden()); // nothing to open without a history
        QDateTime askedSince;
        const QList<HistorySample> history{sample(u"claude"_s, 10, 60, 30), sample(u"codex"_s, 90, 40, 0),
                                           sample(u"claude"_s, 40, 20, 0)};
        f.view.setHistorySource([&](const QDateTime &since) {
            askedSince = since;
            return history;
        });
        QVERIFY(f.showLoaded());
        QList<UsageRow *> rows = f.view.visibleSections().first()->visibleRows();
        QCOMPARE(rows.size(), 2);
        QVERIFY(askedSince.isValid() && askedSince <= now.addDays(-7));
        WindowChartView *chart = rows[0]->chart();
        QVERIFY(chart->isVisible() && chart->chart());
        QCOMPARE(chart->chart()->runs.size(), 2); // ten hours between: two runs, codex's not among them
        QVERIFY(!rows[1]->chart()->isVisible()); // no window length, no chart
        QSignalSpy historyRequested(&f.view, &PanelView::historyRequested);
        QTest::mouseClick(f.view.historyButton(), Qt::LeftButton);
        QCOMPARE(historyRequested.size(), 1);

        // The line reads on a light and on a dark panel: it is drawn in the band colour.
        for (const QColor window : {QColor(Qt::white), QColor(0x1e, 0x1e, 0x1e)}) {
            QPalette palette = chart->palette();
            palette.setColor(QPalette::Window, window);
            palette.setColor(QPalette::WindowText, window.lightness() > 128 ? Qt::black : Qt::white);
            chart->setPalette(palette);
            const QImage image = chart->grab().toImage();
            const int coloured = colouredPixels(image, image.rect());
            QVERIFY2(coloured >= 10, qPrintable(u"%1 coloured pixels"_s.arg(coloured)));
        }

        // History gone (say, set aside as unreadable): the rows stay, without charts.
        f.view.setHistorySource([](const QDateTime &) { return QList<HistorySample>{}; });
        QTRY_VERIFY(!rows[0]->chart()->isVisible());
        QCOMPARE(f.view.visibleSections().first()->visibleRows().size(), 2);
    }

    void panelQuitsAndClosesAsItsModeRequires()
    {
        Fixture f;
        PanelWindow panel(&f.manager, &f.preferences, &f.launchAtLogin);
        QSignalSpy quit(&panel, &PanelWindow::quitRequested);
        QSignalSpy closed(&panel, &PanelWindow::closed);
        panel.showPlaced(PanelPlacement{PanelMode::AnchoredPopup, QRect(), QPoint(100, 5)});
        QVERIFY(QTest::qWaitForWindowActive(&panel));
        QTest::keyClick(&panel, Qt::Key_Q, Qt::ControlModifier);
        QTest::mouseClick(panel.view()->quitButton(), Qt::LeftButton);
        QCOMPARE(quit.size(), 2);
        const int emptyHeight = panel.height(); // the height follows the content
        QVERIFY(f.refreshAndWait());
        QTRY_VERIFY(panel.height() > emptyHeight);

        // Turning to another window closes it where no grab sees a click outside;
        // the popup leaves that to its grab. Escape closes it in every mode.
        for (PanelMode mode :
             {PanelMode::AnchoredPopup, PanelMode::PlacedWindow, PanelMode::AnchoredTool, PanelMode::AnchoredLayer}) {
            panel.showPlaced(PanelPlacement{mode, QRect(1000, 2, 24, 24), QPoint()});
            QVERIFY(QTest::qWaitForWindowExposed(&panel));
            QCOMPARE(panel.mode(), mode);
            QEvent deactivate(QEvent::WindowDeactivate);
            QCoreApplication::sendEvent(&panel, &deactivate);
            QCOMPARE(panel.isVisible(), mode == PanelMode::AnchoredPopup);
            QTest::keyClick(&panel, Qt::Key_Escape);
            QVERIFY(!panel.isVisible());
        }
        QCOMPARE(closed.size(), 4);

        // A titled window of its own, which stays the one window when opened again.
        panel.showPlaced(PanelPlacement{});
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QVERIFY(!(panel.windowFlags() & Qt::FramelessWindowHint));
        // Drawn without Qt's SVG plugins (initTestCase hides them), which Debian 13 packs apart.
        QCOMPARE(panel.windowIcon().pixmap(32).size(), QSize(32, 32));
        // A panel: no maximise, its size fixed to the content's, and no
        // button wearing a focus ring when it opens.
        QVERIFY(!(panel.windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(panel.minimumSize(), panel.maximumSize());
        QCOMPARE(panel.focusWidget(), &panel);
        panel.showPlaced(PanelPlacement{PanelMode::AnchoredPopup, QRect(), QPoint(5, 5)});
        QCOMPARE(panel.mode(), PanelMode::PlacedWindow);
        QTest::keyClick(&panel, Qt::Key_Escape);
        QVERIFY(!panel.isVisible());
    }

    // Two providers with figures are taller than the 600 px test screen: the
    // panel stays on it, below the item, and its providers scroll.
    void aTallPanelScrollsItsProvidersOnAShortScreen()
    {
        Fixture f;
        PanelWindow panel(&f.manager, &f.preferences, &f.launchAtLogin);
        ScrollStack *sections = panel.view()->sectionsArea();
        ProviderUsageResponse many;
        for (int i = 1; i <= 6; ++i)
            many.limits.append(UsageLimit{u"Model %1"_s.arg(i), 10.0 * i, QDateTime::currentDateTimeUtc().addDays(i),
                                          LimitKind::Weekly, 7 * 24 * 3600});
        f.claude->fallback.result = many;
        f.codex->fallback.result = many;
        const QRect item(700, 2, 24, 24);
        panel.showPlaced(PanelPlacement{PanelMode::AnchoredPopup, item, QPoint()});
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        // Short enough, it is as tall as its content.
        QLayout *box = panel.layout();
        QCOMPARE(panel.height(), box->hasHeightForWidth() ? box->totalHeightForWidth(panel.width())
                                                         : box->totalSizeHint().height());
        QVERIFY(!sections->verticalScrollBar()->isVisible());

        QVERIFY(f.refreshAndWait());
        QTRY_COMPARE(panel.view()->visibleSections().size(), 2);
        QVERIFY(sections->heightForWidth(sections->width()) > sections->height());
        QVERIFY(panel.screen()->availableGeometry().contains(panel.geometry()) && panel.geometry().top() > item.bottom());
        // Header, settings and Quit keep their room.
        const QRect inside = panel.rect();
        for (QWidget *kept : std::initializer_list<QWidget *>{panel.view()->refreshButton(), panel.view()->quitButton(),
                                                              panel.view()->launchAtLoginBox()})
            QVERIFY(inside.contains(QRect(kept->mapTo(&panel, QPoint()), kept->size())));

        QScrollBar *bar = sections->verticalScrollBar();
        QTRY_VERIFY(bar->isVisible());
        QCOMPARE(bar->value(), 0);
        const QPoint at = sections->viewport()->rect().center();
        QWheelEvent wheel(at, sections->viewport()->mapToGlobal(at), {}, {0, -120}, Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(sections->viewport(), &wheel);
        QVERIFY(bar->value() > 0);
    }

    // Figures that came while it was hidden: made at the old size and moved at
    // once, the panel was left at 0,0 by KWin under XWayland.
    void anAnchoredPanelIsMadeAtItsFinalPlace()
    {
        Fixture f;
        PanelWindow panel(&f.manager, &f.preferences, &f.launchAtLogin);
        QVERIFY(f.refreshAndWait());
        CreationGeometry created;
        panel.installEventFilter(&created);
        QSignalSpy rendered(panel.view(), &PanelView::contentChanged);
        panel.showPlaced(PanelPlacement{PanelMode::AnchoredTool, QRect(1000, 2, 24, 24), QPoint()});
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QCOMPARE(created.geometries, QList<QRect>{panel.geometry()});
        QCOMPARE(rendered.size(), 1); // reading the providers once per opening
    }

    // The title's choice lists what has credentials and keeps one shown;
    // accounts come from the prompt, go from their menu, and one whose
    // folder holds no login says so.
    void titleChoiceAndAccounts()
    {
        Fixture f;
        QVERIFY(f.showLoaded());
        ProviderChoices *choices = f.view.providerChoices();
        const auto actions = [](QMenu *menu) {
            Q_EMIT menu->aboutToShow();
            return menu->actions();
        };
        QList<QAction *> title = actions(choices->titleMenu());
        QCOMPARE(title.size(), 2);
        title.at(1)->setChecked(false);
        QCOMPARE(f.preferences.titleLeftOut(), QStringList{u"codex"_s});
        title = actions(choices->titleMenu());
        QVERIFY(title.at(0)->isChecked() && !title.at(0)->isEnabled());
        title.at(1)->setChecked(true);
        QCOMPARE(f.preferences.titleLeftOut(), QStringList{});

        f.view.setAccountKinds({{u"claude"_s, u"Claude"_s, u"CLAUDE_CONFIG_DIR"_s}});
        const ExtraAccount work{u"claude"_s, f.dir.filePath(u"work"_s), u"work"_s};
        choices->setAccountPrompt([&](const AccountKind &kind) {
            return kind.provider == u"claude" ? std::optional(work) : std::nullopt;
        });
        QList<QAction *> menu = actions(choices->accountsMenu());
        QCOMPARE(menu.size(), 1);
        menu.at(0)->trigger();
        QCOMPARE(f.preferences.accounts(), QList<ExtraAccount>{work});

        // The tray gives it a provider; here one without credentials.
        auto account = std::make_shared<ScriptedProvider>(u"claude-work"_s, u"Claude \u00B7 work"_s);
        account->available = false;
        f.manager.setProviders({f.claude, account, f.codex});
        f.view.render();
        QCOMPARE(choices->noteText(), u"Claude \u00B7 work: no credentials in "_s + QDir::toNativeSeparators(work.folder));
        menu = actions(choices->accountsMenu());
        QCOMPARE(menu.first()->text(), u"Claude \u00B7 work"_s);
        const QList<QAction *> own = menu.first()->menu()->actions();
        QCOMPARE(own.at(1)->text(), u"No credentials in this folder"_s);
        own.last()->trigger();
        QVERIFY(f.preferences.accounts().isEmpty());
        // The menus of the accounts listed before go with them.
        actions(choices->accountsMenu());
        QVERIFY(choices->accountsMenu()->findChildren<QMenu *>().isEmpty());
    }

    // German words are too long for launch at login and both menus on one
    // row: none is squeezed below its text, and each menu's arrow keeps clear
    // of its text (drawn with and without arrow and text, their ink differs
    // in columns of their own).
    void longerWordsKeepTheirRoom()
    {
        const std::unique_ptr<QTranslator> german = translatorFor(QLocale(QLocale::German));
        QVERIFY(german && QCoreApplication::installTranslator(german.get()));
        Fixture f;
        QCoreApplication::removeTranslator(german.get());
        f.view.setAccountKinds({{u"claude"_s, u"Claude"_s, u"CLAUDE_CONFIG_DIR"_s}});
        QVERIFY(f.showLoaded());
        QCheckBox *launch = f.view.launchAtLoginBox();
        QVERIFY(launch->width() >= launch->sizeHint().width());
        const auto columns = [](const QImage &a, const QImage &b) {
            QList<int> differing;
            for (int x = 0; x < a.width(); ++x) {
                for (int y = 0; y < a.height() && (differing.isEmpty() || differing.last() != x); ++y) {
                    if (a.pixel(x, y) != b.pixel(x, y))
                        differing.append(x);
                }
            }
            return differing;
        };
        const QList<QToolButton *> buttons = f.view.providerChoices()->findChildren<QToolButton *>();
        QCOMPARE(buttons.size(), 2);
        for (QToolButton *button : buttons) {
            QVERIFY(button->width() >= button->sizeHint().width());
            QToolButton plain(button->parentWidget());
            plain.setFont(button->font());
            plain.resize(button->size());
            const QImage blank = plain.grab().toImage();
            plain.setText(button->text());
            const QImage text = plain.grab().toImage();
            const QList<int> arrow = columns(button->grab().toImage(), text);
            const QList<int> ink = columns(text, blank);
            QVERIFY(!arrow.isEmpty() && !ink.isEmpty());
            QVERIFY2(ink.last() + 1 < arrow.first(), qPrintable(button->text()));
        }
    }
};

QTEST_MAIN(TestPanelView)
#include "test_panelview.moc"
