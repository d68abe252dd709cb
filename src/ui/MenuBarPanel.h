#pragma once

#include <QWidget>

class LaunchAtLogin;
class MenuBarView;
class Preferences;
class UsageManager;

// The popup panel under the tray item: every available provider with its
// limits, the last update, the display setting, launch at login and Quit.
// A frameless popup 300 wide whose height follows its content; it closes on a
// click outside or Escape.
class MenuBarPanel : public QWidget
{
    Q_OBJECT
public:
    // All three must outlive the panel.
    MenuBarPanel(UsageManager *manager, Preferences *preferences, LaunchAtLogin *launchAtLogin, QWidget *parent = nullptr);
    ~MenuBarPanel() override;

    // Shows the panel against the tray item: below a top panel, above a bottom
    // one, fully on screen. An empty trayGeometry places it at point instead.
    void showAnchored(const QRect &trayGeometry, const QPoint &point);

    MenuBarView *view() const { return m_view; }

Q_SIGNALS:
    void quitRequested();
    // The panel hid itself, whatever the reason.
    void closed();

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void place();

    MenuBarView *m_view;
    QRect m_trayGeometry;
    QPoint m_point;
};
