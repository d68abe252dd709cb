#pragma once

#include "presentation/PanelPlacement.h"

#include <QWidget>

#include <functional>
#include <optional>

class LaunchAtLogin;
class PanelView;
class QScreen;
class Preferences;
class UsageManager;

// The panel of the tray item: every available provider with its limits, the
// last update, the display setting, launch at login and Quit. 300 wide, its
// height following its content up to what the screen leaves, beyond which
// the providers scroll. Shown as the platform allows (PanelMode): a
// frameless popup at the item that closes on a click outside, a frameless
// window at the item or at a screen edge (layer-shell) or a titled window the
// compositor places, the last three closing when they lose activation. Escape
// closes it in every mode.
class PanelWindow : public QWidget
{
    Q_OBJECT
public:
    // All three must outlive the panel.
    PanelWindow(UsageManager *manager, Preferences *preferences, LaunchAtLogin *launchAtLogin,
                 QWidget *parent = nullptr);
    ~PanelWindow() override;

    // Shows the panel against the tray item: below a top panel, above a bottom
    // one, fully on screen. An empty trayGeometry places it at point instead.
    void showAnchored(const QRect &trayGeometry, const QPoint &point);
    // Shows it in the placement's mode; when it is open already, raises it.
    void showPlaced(const PanelPlacement &placement);
    PanelMode mode() const { return m_mode; }
    // Whether an anchored layer panel holds the keyboard while open (a desktop's trait).
    void setLayerHoldsKeyboard(bool holds) { m_layerHoldsKeyboard = holds; }
    void setDesktopPanelFloat(int pixels) { m_panelFloat = pixels; }
    // Where the window manager ignores the place a frameless window asks
    // for (sway under XWayland): asks it to put the native window at a point.
    using WindowPlacer = std::function<void(quintptr window, QPoint topLeft)>;
    void setWindowPlacer(WindowPlacer placer) { m_placer = std::move(placer); }
    // Asks that window manager for the part of a screen its bars leave free,
    // which it tells X clients nothing of; the anchored panel waits for the
    // answer before it shows, and guesses the bar's room without one.
    using FreeAreaSource = std::function<void(QRect screen, std::function<void(std::optional<QRect>)> answered)>;
    void setFreeAreaSource(FreeAreaSource source) { m_freeAreaSource = std::move(source); }

    // Off for a picture of the whole panel, which no screen bounds.
    void setHeightLimited(bool limited) { m_heightLimited = limited; }

    PanelView *view() const { return m_view; }

Q_SIGNALS:
    void quitRequested();
    // The panel hid itself, whatever the reason.
    void closed();

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool event(QEvent *event) override;

private:
    void showNow();
    void place();
    QScreen *screenAtAnchor() const;
    int contentHeight();
    // The panel's height at most limit, the sections scrolling the rest.
    int fitHeight(int limit);
    // The anchored panel, where it must ask the window manager to move it.
    bool windowManagerPlaces() const { return m_placer && m_mode == PanelMode::AnchoredTool; }
    void setMode(PanelMode mode);

    PanelView *m_view;
    QRect m_trayGeometry;
    QPoint m_point;
    PanelMode m_mode = PanelMode::AnchoredPopup;
    bool m_layerHoldsKeyboard = true;
    int m_panelFloat = 0; // DesktopTraits::panelFloat
    WindowPlacer m_placer;
    FreeAreaSource m_freeAreaSource;
    std::optional<QRect> m_freeArea; // the window manager's answer for the panel's screen
    int m_freeAreaAsked = 0;         // only the latest question's answer shows the panel
    bool m_heightLimited = true;
};
