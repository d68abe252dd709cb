#pragma once

#include "core/Accounts.h"
#include "presentation/PanelModel.h"

#include <QList>
#include <QDateTime>
#include <functional>
#include <QWidget>

class AlertSettingsView;
class BusyIndicator;
class ErrorView;
class LaunchAtLogin;
class PanelLabel;
class Preferences;
class ProviderChoices;
class ProviderSection;
class QCheckBox;
class QGridLayout;
class QPushButton;
class QTimer;
class QVBoxLayout;
class RefreshButton;
class ScrollStack;
class SegmentedPicker;
class StatusDot;
class UsageManager;

// The panel's content: header with refresh, the providers (or the loading or
// empty state), the last update, the display setting, launch at login, the
// alerts (folded), Quit.
// It draws a PanelModel, when shown and on every change while shown.
class PanelView : public QWidget
{
    Q_OBJECT
public:
    // All three must outlive the view.
    PanelView(UsageManager *manager, Preferences *preferences, LaunchAtLogin *launchAtLogin,
                QWidget *parent = nullptr);
    ~PanelView() override;

    // Draws the current state at once, visible or not: reads the providers
    // (which may do I/O) and the clock.
    void render();

    // Recorded samples of every provider since a moment, for the rows'
    // charts. Without one (or with an empty answer) the rows have no chart.
    using HistorySource = std::function<QList<HistorySample>(const QDateTime &since)>;
    void setHistorySource(HistorySource source);
    // The providers that take extra accounts, for the accounts menu.
    void setAccountKinds(QList<AccountKind> kinds);

    RefreshButton *refreshButton() const { return m_refreshButton; }
    SegmentedPicker *picker() const { return m_picker; }
    SegmentedPicker *displayAsPicker() const { return m_displayAsPicker; }
    QCheckBox *launchAtLoginBox() const { return m_launchAtLogin; }
    QPushButton *quitButton() const { return m_quit; }
    QPushButton *historyButton() const { return m_history; }
    ProviderChoices *providerChoices() const { return m_providerChoices; }
    // Thresholds and alert switches per provider, folded until opened.
    AlertSettingsView *alertSettings();
    QList<ProviderSection *> visibleSections() const;
    // Where the sections scroll when the panel cannot show them all.
    ScrollStack *sectionsArea() const { return m_sectionsArea; }
    bool showsLoadingPlaceholder() const;
    bool showsEmptyState() const;
    bool showsFooter() const;
    QString footerText() const;

Q_SIGNALS:
    void quitRequested();
    // "History…": the user wants the History window.
    void historyRequested();
    // The content changed in a way that may change the view's size.
    void contentChanged();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    AlertSettingsView *makeAlertSettings();
    void followProvidersInAlertSettings();
    // The constructor's parts, top to bottom.
    void addContent(QVBoxLayout *layout);
    void addSettingsAndActions(QVBoxLayout *layout);
    void arrangeSwitches();
    void connectControls();
    void scheduleRender();
    void syncSections(const QList<SectionModel> &sections);
    void updateFooterText();

    UsageManager *m_manager;
    Preferences *m_preferences;
    LaunchAtLogin *m_launchAtLoginSwitch;
    HistorySource m_historySource;

    RefreshButton *m_refreshButton;
    QWidget *m_content;
    QVBoxLayout *m_contentLayout;
    QWidget *m_loading;
    ScrollStack *m_sectionsArea;
    QList<ProviderSection *> m_sections;
    ErrorView *m_emptyState;
    QWidget *m_footer;
    StatusDot *m_statusDot;
    PanelLabel *m_footerText;
    SegmentedPicker *m_picker;
    SegmentedPicker *m_displayAsPicker;
    ProviderChoices *m_providerChoices;
    QCheckBox *m_launchAtLogin;
    QGridLayout *m_switches = nullptr;
    QPushButton *m_quit;
    QPushButton *m_history = nullptr;
    AlertSettingsView *m_alertSettings = nullptr;
    QStringList m_alertSettingsIds;

    QTimer *m_renderSoon;
    QTimer *m_clock; // the footer's elapsed time, only while shown
    // Rendered while hidden with nothing changed since: the opening that
    // follows need not render again.
    bool m_renderedForOpening = false;
};
