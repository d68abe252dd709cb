#pragma once

#include <QList>
#include <QString>
#include <QWidget>

class PanelLabel;
class Preferences;
class QCheckBox;
class QLineEdit;
class QToolButton;

// The panel's alert settings: per provider the thresholds that alert and the
// switches of the threshold, reset and run-out alerts. Folded away until the
// user opens it, so the panel keeps its usual height. Everything is written
// through Preferences, which the tray's alert rules follow; thresholds that do
// not read change nothing, and a line under the field says why.
class AlertSettingsView : public QWidget
{
    Q_OBJECT
public:
    struct Provider
    {
        QString id;
        QString name;
    };

    // preferences must outlive the view.
    AlertSettingsView(Preferences *preferences, const QList<Provider> &providers, QWidget *parent = nullptr);

    QToolButton *toggle() const { return m_toggle; }
    // The fields and switches are made on first use.
    QLineEdit *thresholdsField(const QString &providerId);
    // key: one of AlertKeys' switches.
    QCheckBox *switchBox(const QString &providerId, QLatin1StringView key);
    // Why the typed thresholds were not taken; empty when they were.
    QString errorText(const QString &providerId) const;

Q_SIGNALS:
    // Opened or folded, or a message came or went: the panel's size may change.
    void sizeChanged();

protected:
    void hideEvent(QHideEvent *event) override;

private:
    struct Controls
    {
        QString id;
        QLineEdit *thresholds = nullptr;
        QCheckBox *thresholdAlerts = nullptr;
        QCheckBox *resetAlerts = nullptr;
        QCheckBox *runOutAlerts = nullptr;
        PanelLabel *error = nullptr;
    };

    void buildBody();
    QWidget *addProvider(const Provider &provider);
    void load();
    void applyThresholds(const Controls &controls);
    void showError(const Controls &controls, const QString &message);
    const Controls *controlsOf(const QString &providerId) const;

    Preferences *m_preferences;
    QToolButton *m_toggle;
    QWidget *m_body;
    const QList<Provider> m_providers;
    bool m_built = false;
    QList<Controls> m_controls;
};
