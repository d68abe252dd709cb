#include "ui/PanelView.h"

#include "core/LaunchAtLogin.h"
#include "core/Preferences.h"
#include "core/UsageManager.h"
#include "core/UsageProvider.h"
#include "presentation/EmptyState.h"
#include "presentation/TrayItem.h"
#include "ui/AlertSettingsView.h"
#include "ui/BusyIndicator.h"
#include "ui/Divider.h"
#include "ui/ErrorView.h"
#include "ui/PanelLabel.h"
#include "ui/PanelStyle.h"
#include "ui/ProviderChoices.h"
#include "ui/ProviderSection.h"
#include "ui/RefreshButton.h"
#include "ui/ScrollStack.h"
#include "ui/SegmentedPicker.h"
#include "ui/StatusDot.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

QKeySequence quitShortcut()
{
    // Some platform themes (the offscreen one among them) bind nothing to Quit.
    const QList<QKeySequence> bound = QKeySequence::keyBindings(QKeySequence::Quit);
    return bound.isEmpty() ? QKeySequence(Qt::CTRL | Qt::Key_Q) : bound.first();
}

} // namespace

PanelView::PanelView(UsageManager *manager, Preferences *preferences, LaunchAtLogin *launchAtLogin, QWidget *parent)
    : QWidget(parent)
    , m_manager(manager)
    , m_preferences(preferences)
    , m_launchAtLoginSwitch(launchAtLogin)
    , m_refreshButton(new RefreshButton(this))
    , m_content(new QWidget(this))
    , m_contentLayout(new QVBoxLayout(m_content))
    , m_loading(new QWidget(m_content))
    , m_sectionsArea(new ScrollStack(PanelStyle::StackSpacing, m_content))
    , m_emptyState(new ErrorView(EmptyStateMessage, m_content))
    , m_footer(new QWidget(m_content))
    , m_statusDot(new StatusDot(m_footer))
    , m_footerText(new PanelLabel({}, PanelStyle::caption2(), PanelLabel::Tone::Secondary, m_footer))
    , m_picker(new SegmentedPicker({WeeklySegmentLabel, SessionSegmentLabel}, this))
    , m_displayAsPicker(new SegmentedPicker({UsedSegmentLabel, RemainingSegmentLabel}, this))
    , m_providerChoices(new ProviderChoices(manager, preferences, this))
    , m_launchAtLogin(new QCheckBox(TrayMenuText::LaunchAtLogin, this))
    , m_quit(new QPushButton(TrayMenuText::Quit, this))
    , m_renderSoon(new QTimer(this))
    , m_clock(new QTimer(this))
{
    setFixedWidth(PanelStyle::Width);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(PanelStyle::Padding, PanelStyle::Padding, PanelStyle::Padding, PanelStyle::Padding);
    layout->setSpacing(PanelStyle::StackSpacing);

    auto *header = new QHBoxLayout;
    header->setContentsMargins(0, 0, 0, 4);
    header->addWidget(new PanelLabel(u"Quotix"_s, PanelStyle::headline(), PanelLabel::Tone::Primary, this));
    header->addStretch(1);
    header->addWidget(m_refreshButton);
    layout->addLayout(header);
    layout->addWidget(new Divider(this));
    addContent(layout);
    layout->addWidget(new Divider(this));
    addSettingsAndActions(layout);
    connectControls();

    render();
    m_renderedForOpening = false; // the first opening may be long after
}

void PanelView::addContent(QVBoxLayout *layout)
{
    // The content blocks sit in a stack of their own with the same spacing;
    // it is hidden as a whole when it has nothing to show.
    m_contentLayout->setContentsMargins(0, 0, 0, 0);
    m_contentLayout->setSpacing(PanelStyle::StackSpacing);
    auto *loadingRow = new QHBoxLayout(m_loading);
    loadingRow->setContentsMargins(PanelStyle::Padding, PanelStyle::Padding, PanelStyle::Padding, PanelStyle::Padding);
    loadingRow->addStretch(1);
    loadingRow->addWidget(new BusyIndicator(13, m_loading));
    loadingRow->addWidget(new PanelLabel(LoadingText, PanelStyle::caption(), PanelLabel::Tone::Secondary, m_loading));
    loadingRow->addStretch(1);
    auto *footerRow = new QHBoxLayout(m_footer);
    footerRow->setContentsMargins(0, 4, 0, 0);
    footerRow->addWidget(m_statusDot);
    footerRow->addWidget(m_footerText, 1);
    m_contentLayout->addWidget(m_loading);
    m_contentLayout->addWidget(m_sectionsArea);
    m_contentLayout->addWidget(m_emptyState);
    m_contentLayout->addWidget(m_footer);
    layout->addWidget(m_content);
}

void PanelView::addSettingsAndActions(QVBoxLayout *layout)
{
    auto *display = new QVBoxLayout;
    display->setSpacing(8);
    display->addWidget(new PanelLabel(QCoreApplication::translate("Panel", "Menu Bar Display"), PanelStyle::caption(),
                                      PanelLabel::Tone::Secondary, this));
    display->addWidget(m_picker);
    display->addWidget(m_displayAsPicker);
    layout->addLayout(display);

    m_launchAtLogin->setFont(PanelStyle::caption());
    m_switches = new QGridLayout;
    m_switches->addWidget(m_launchAtLogin, 0, 0);
    m_switches->setColumnStretch(1, 1);
    arrangeSwitches();
    layout->addLayout(m_switches);
    layout->addWidget(m_providerChoices->note());
    layout->addWidget(alertSettings());
    layout->addWidget(new Divider(this));
    // History… beside Quit, there once the panel has a history to show.
    m_history = new QPushButton(TrayMenuText::History, this);
    m_history->hide();
    connect(m_history, &QPushButton::clicked, this, &PanelView::historyRequested);
    auto *actions = new QHBoxLayout;
    actions->addWidget(m_quit);
    actions->addStretch(1);
    actions->addWidget(m_history);
    layout->addLayout(actions);
}

void PanelView::connectControls()
{
    auto *quit = new QShortcut(quitShortcut(), this);
    quit->setContext(Qt::WindowShortcut);
    m_quit->setToolTip(quit->key().toString(QKeySequence::NativeText));
    connect(quit, &QShortcut::activated, this, &PanelView::quitRequested);
    connect(m_quit, &QPushButton::clicked, this, &PanelView::quitRequested);

    connect(m_refreshButton, &RefreshButton::clicked, m_manager, &UsageManager::requestRefresh);
    connect(m_picker, &SegmentedPicker::indexChosen, this,
            [this](int index) { m_preferences->setDisplayMode(displayModeForPickerIndex(index)); });
    connect(m_displayAsPicker, &SegmentedPicker::indexChosen, this,
            [this](int index) { m_preferences->setDisplayAs(displayAsForPickerIndex(index)); });
    // clicked, not toggled: only the user's own switching reaches the login item.
    connect(m_launchAtLogin, &QCheckBox::clicked, m_launchAtLoginSwitch, &LaunchAtLogin::setEnabled);
    connect(m_launchAtLoginSwitch, &LaunchAtLogin::enabledChanged, m_launchAtLogin, &QCheckBox::setChecked);

    m_renderSoon->setSingleShot(true);
    m_renderSoon->setInterval(0);
    connect(m_renderSoon, &QTimer::timeout, this, &PanelView::render);
    m_clock->setInterval(1000);
    connect(m_clock, &QTimer::timeout, this, &PanelView::updateFooterText);

    connect(m_manager, &UsageManager::providerStatesChanged, this, &PanelView::scheduleRender);
    connect(m_manager, &UsageManager::isLoadingChanged, this, &PanelView::scheduleRender);
    connect(m_manager, &UsageManager::lastUpdatedChanged, this, &PanelView::scheduleRender);
    connect(m_preferences, &Preferences::changed, this, &PanelView::scheduleRender);
}

PanelView::~PanelView() = default;

AlertSettingsView *PanelView::alertSettings()
{
    if (!m_alertSettings)
        m_alertSettings = makeAlertSettings();
    return m_alertSettings;
}

AlertSettingsView *PanelView::makeAlertSettings()
{
    QList<AlertSettingsView::Provider> providers;
    m_alertSettingsIds.clear();
    for (const auto &provider : m_manager->providers()) {
        providers.append({provider->id(), provider->name()});
        m_alertSettingsIds.append(provider->id());
    }
    auto *view = new AlertSettingsView(m_preferences, providers, this);
    connect(view, &AlertSettingsView::sizeChanged, this, &PanelView::contentChanged);
    return view;
}

// An account added or removed in the settings changes the providers; their
// alert settings follow, folded or open as they were.
void PanelView::followProvidersInAlertSettings()
{
    QStringList ids;
    for (const auto &provider : m_manager->providers())
        ids.append(provider->id());
    if (!m_alertSettings || ids == m_alertSettingsIds)
        return;
    AlertSettingsView *old = m_alertSettings;
    m_alertSettings = makeAlertSettings();
    m_alertSettings->toggle()->setChecked(old->toggle()->isChecked());
    delete layout()->replaceWidget(old, m_alertSettings);
    old->deleteLater();
}

void PanelView::setHistorySource(HistorySource source)
{
    m_historySource = std::move(source);
    m_history->setVisible(bool(m_historySource));
    scheduleRender();
}

void PanelView::setAccountKinds(QList<AccountKind> kinds)
{
    m_providerChoices->setAccountKinds(std::move(kinds));
    arrangeSwitches();
}

void PanelView::arrangeSwitches()
{
    // The providers' menus share the row of launch at login where their
    // texts fit beside it (the panel must fit under the tray on a 768 px
    // screen); longer words put them on a row of their own.
    const int room = PanelStyle::Width - 2 * PanelStyle::Padding;
    const int oneRow = m_launchAtLogin->sizeHint().width() + m_switches->horizontalSpacing()
        + m_providerChoices->sizeHint().width();
    m_switches->removeWidget(m_providerChoices);
    if (oneRow <= room)
        m_switches->addWidget(m_providerChoices, 0, 2);
    else
        m_switches->addWidget(m_providerChoices, 1, 0, 1, 3, Qt::AlignRight);
}

void PanelView::render()
{
    m_renderSoon->stop();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    PanelInput input = panelInputFrom(*m_manager, m_preferences->displayMode(), m_preferences->displayAs());
    // The longest window the services have is a week.
    if (m_historySource)
        input.history = m_historySource(now.addDays(-8));
    const PanelModel model = buildPanelModel(input, now);

    // One repaint for the whole change, not one per widget.
    setUpdatesEnabled(false);
    const RefreshButtonState &refresh = model.refreshButton;
    m_refreshButton->setState(refresh.enabled, refresh.opacity, refresh.spinning);

    m_loading->setVisible(model.content == ContentBranch::LoadingPlaceholder);
    syncSections(model.sections);
    m_emptyState->setVisible(model.showsEmptyState);
    m_footer->setVisible(model.footer.has_value());
    if (model.footer) {
        m_statusDot->setColor(model.footer->statusColor);
        m_footerText->setText(model.footer->text);
    }
    const bool hasContent = model.content == ContentBranch::LoadingPlaceholder || !model.sections.isEmpty()
        || model.showsEmptyState || model.footer;
    m_content->setVisible(hasContent);

    m_picker->setCurrentIndex(pickerIndex(model.pickerSelection));
    m_displayAsPicker->setCurrentIndex(pickerIndex(model.displayAsSelection));
    m_launchAtLogin->setChecked(m_launchAtLoginSwitch->isEnabled());
    m_providerChoices->render();
    followProvidersInAlertSettings();
    setUpdatesEnabled(true);
    m_renderedForOpening = !isVisible();
    Q_EMIT contentChanged();
}

void PanelView::syncSections(const QList<SectionModel> &sections)
{
    while (m_sections.size() < sections.size()) {
        auto *section = new ProviderSection(m_sectionsArea->widget());
        m_sectionsArea->stack()->addWidget(section);
        m_sections.append(section);
    }
    while (m_sections.size() > sections.size()) {
        ProviderSection *section = m_sections.takeLast();
        m_sectionsArea->stack()->removeWidget(section);
        section->hide();
        section->deleteLater();
    }
    for (qsizetype i = 0; i < sections.size(); ++i) {
        m_sections.at(i)->setModel(sections.at(i));
        m_sections.at(i)->show();
    }
    m_sectionsArea->setVisible(!sections.isEmpty());
    m_sectionsArea->updateGeometry();
}

void PanelView::scheduleRender()
{
    // Reading the providers may do I/O, so a hidden view waits until it is shown
    // (showing renders anyway), and a burst of changes in one turn of the event
    // loop is drawn once.
    if (isVisible())
        m_renderSoon->start();
    else
        m_renderedForOpening = false;
}

void PanelView::updateFooterText()
{
    if (const auto lastUpdated = m_manager->lastUpdated())
        m_footerText->setText(::footerText(*lastUpdated, QDateTime::currentDateTimeUtc()));
}

void PanelView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Credentials may have come or gone and times have moved on since the last
    // look, unless the window rendered it just before showing.
    if (!m_renderedForOpening)
        render();
    m_renderedForOpening = false;
    m_clock->start();
}

void PanelView::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_clock->stop();
    m_renderSoon->stop();
}

QList<ProviderSection *> PanelView::visibleSections() const
{
    return m_sections;
}

bool PanelView::showsLoadingPlaceholder() const
{
    return !m_loading->isHidden();
}

bool PanelView::showsEmptyState() const
{
    return !m_emptyState->isHidden();
}

bool PanelView::showsFooter() const
{
    return !m_footer->isHidden() && !m_content->isHidden();
}

QString PanelView::footerText() const
{
    return m_footerText->text();
}
