#include "ui/AlertSettingsView.h"

#include "core/AlertRules.h"
#include "core/Preferences.h"
#include "ui/PanelLabel.h"
#include "ui/PanelStyle.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

AlertSettingsView::AlertSettingsView(Preferences *preferences, const QList<Provider> &providers, QWidget *parent)
    : QWidget(parent)
    , m_preferences(preferences)
    , m_toggle(new QToolButton(this))
    , m_body(new QWidget(this))
    , m_providers(providers)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);

    m_toggle->setText(QCoreApplication::translate("Panel", "Alerts"));
    m_toggle->setFont(PanelStyle::caption());
    m_toggle->setCheckable(true);
    m_toggle->setAutoRaise(true);
    m_toggle->setArrowType(Qt::RightArrow);
    m_toggle->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    layout->addWidget(m_toggle, 0, Qt::AlignLeft);

    m_body->hide();
    layout->addWidget(m_body);

    connect(m_toggle, &QToolButton::toggled, this, [this](bool open) {
        m_toggle->setArrowType(open ? Qt::DownArrow : Qt::RightArrow);
        if (open)
            buildBody();
        m_body->setVisible(open);
        Q_EMIT sizeChanged();
    });
    connect(m_preferences, &Preferences::changed, this, &AlertSettingsView::load);
}

// The fields and switches are made when first wanted: most openings of the
// panel never unfold them, and an edit field brings much of Qt's code along.
void AlertSettingsView::buildBody()
{
    if (m_built)
        return;
    m_built = true;
    auto *body = new QVBoxLayout(m_body);
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(8);
    for (const Provider &provider : std::as_const(m_providers))
        body->addWidget(addProvider(provider));
    auto *hint
        = new PanelLabel(QCoreApplication::translate("Panel", "Whole percentages from 1 to 100; the default is %1.")
                             .arg(thresholdsText(AlertRules{}.thresholds)),
                         PanelStyle::caption2(), PanelLabel::Tone::Secondary, m_body);
    hint->setWordWrap(true);
    body->addWidget(hint);
    load();
}

QWidget *AlertSettingsView::addProvider(const Provider &provider)
{
    auto *box = new QWidget(m_body);
    Controls controls;
    controls.id = provider.id;
    controls.thresholdAlerts = new QCheckBox(QCoreApplication::translate("Panel", "Alert at"), box);
    controls.thresholds = new QLineEdit(box);
    controls.thresholds->setPlaceholderText(thresholdsText(AlertRules{}.thresholds));
    controls.thresholds->setAccessibleName(
        QCoreApplication::translate("Panel", "%1 alert thresholds").arg(provider.name));
    controls.resetAlerts = new QCheckBox(QCoreApplication::translate("Panel", "Reset alert"), box);
    controls.runOutAlerts = new QCheckBox(QCoreApplication::translate("Panel", "Run-out alert"), box);
    controls.error = new PanelLabel({}, PanelStyle::caption2(), PanelLabel::Tone::Named, box);
    controls.error->setNamedColor(NamedColor::Red);
    controls.error->setWordWrap(true);
    controls.error->hide();
    for (QCheckBox *check : {controls.thresholdAlerts, controls.resetAlerts, controls.runOutAlerts})
        check->setFont(PanelStyle::caption());
    controls.thresholds->setFont(PanelStyle::caption());

    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(new PanelLabel(provider.name, PanelStyle::caption(), PanelLabel::Tone::Primary, box));
    auto *thresholdRow = new QHBoxLayout;
    thresholdRow->addWidget(controls.thresholdAlerts);
    thresholdRow->addWidget(controls.thresholds, 1);
    thresholdRow->addWidget(new PanelLabel(u"%"_s, PanelStyle::caption(), PanelLabel::Tone::Secondary, box));
    layout->addLayout(thresholdRow);
    layout->addWidget(controls.error);
    auto *switchRow = new QHBoxLayout;
    switchRow->addWidget(controls.resetAlerts);
    switchRow->addWidget(controls.runOutAlerts);
    switchRow->addStretch(1);
    layout->addLayout(switchRow);

    const QString id = provider.id;
    // clicked, not toggled: only the user's own switching is written.
    auto writeSwitch = [this, id](QCheckBox *check, QLatin1StringView key) {
        connect(check, &QCheckBox::clicked, this,
                [this, id, key](bool on) { m_preferences->setAlertSwitch(id, key, on); });
    };
    writeSwitch(controls.thresholdAlerts, AlertKeys::ThresholdAlerts);
    writeSwitch(controls.resetAlerts, AlertKeys::ResetAlerts);
    writeSwitch(controls.runOutAlerts, AlertKeys::RunOutAlerts);
    connect(controls.thresholds, &QLineEdit::editingFinished, this, [this, id] {
        if (const Controls *controls = controlsOf(id))
            applyThresholds(*controls);
    });
    m_controls.append(controls);
    return box;
}

void AlertSettingsView::load()
{
    for (const Controls &controls : std::as_const(m_controls)) {
        const AlertRules rules = m_preferences->alertRules(controls.id);
        // Typing that was refused stays for the user to mend.
        if (controls.error->isHidden())
            controls.thresholds->setText(thresholdsText(rules.thresholds));
        controls.thresholds->setEnabled(rules.thresholdAlerts);
        controls.thresholdAlerts->setChecked(rules.thresholdAlerts);
        controls.resetAlerts->setChecked(rules.resetAlerts);
        controls.runOutAlerts->setChecked(rules.runOutAlerts);
    }
}

void AlertSettingsView::applyThresholds(const Controls &controls)
{
    QString error;
    const std::optional<QList<int>> thresholds = parseThresholds(controls.thresholds->text(), &error);
    if (!thresholds) {
        showError(controls, error);
        return;
    }
    showError(controls, {});
    controls.thresholds->setText(thresholdsText(*thresholds));
    // Enter and then leaving the field both end an edit; one write is enough.
    if (*thresholds != m_preferences->alertRules(controls.id).thresholds)
        m_preferences->setThresholds(controls.id, *thresholds);
}

void AlertSettingsView::showError(const Controls &controls, const QString &message)
{
    if (controls.error->text() == message && controls.error->isHidden() == message.isEmpty())
        return;
    controls.error->setText(message);
    controls.error->setVisible(!message.isEmpty());
    Q_EMIT sizeChanged();
}

void AlertSettingsView::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    // Closing the panel drops refused typing; it opens again on what is in effect.
    for (const Controls &controls : std::as_const(m_controls))
        showError(controls, {});
    load();
}

const AlertSettingsView::Controls *AlertSettingsView::controlsOf(const QString &providerId) const
{
    for (const Controls &controls : m_controls) {
        if (controls.id == providerId)
            return &controls;
    }
    return nullptr;
}

QLineEdit *AlertSettingsView::thresholdsField(const QString &providerId)
{
    buildBody();
    const Controls *controls = controlsOf(providerId);
    return controls ? controls->thresholds : nullptr;
}

QCheckBox *AlertSettingsView::switchBox(const QString &providerId, QLatin1StringView key)
{
    buildBody();
    const Controls *controls = controlsOf(providerId);
    if (!controls)
        return nullptr;
    if (key == AlertKeys::ThresholdAlerts)
        return controls->thresholdAlerts;
    if (key == AlertKeys::ResetAlerts)
        return controls->resetAlerts;
    if (key == AlertKeys::RunOutAlerts)
        return controls->runOutAlerts;
    return nullptr;
}

QString AlertSettingsView::errorText(const QString &providerId) const
{
    const Controls *controls = controlsOf(providerId);
    return controls && !controls->error->isHidden() ? controls->error->text() : QString();
}
