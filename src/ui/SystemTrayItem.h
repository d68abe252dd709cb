#pragma once

#include "presentation/BandPalette.h"
#include "presentation/TrayItem.h"

#include <QMenu>
#include <QSystemTrayIcon>

#include <optional>

// The tray item through Qt's own tray icon: XEmbed trays on X11, the menu
// bar on macOS. The host gives one square slot, so the icon is the badge
// with the numbers; the title and the details go into the tooltip. The
// context menu holds the same rows as the StatusNotifierItem's.
class SystemTrayItem : public TrayItem
{
    Q_OBJECT
public:
    explicit SystemTrayItem(QObject *parent = nullptr);

    void setTitle(const TitleLayout &title, const QStringList &details) override;
    void setMenu(const QList<TrayMenuEntry> &entries) override;

private:
    void onActivated(QSystemTrayIcon::ActivationReason reason);
    void onTriggered(TrayMenuEntry::Role role, bool checked);

    // What the icon shows now: the same again is not drawn again.
    struct Drawn
    {
        TitleLayout title;
        Backdrop shades;
    };
    std::optional<Drawn> m_drawn;
    QMenu m_menu;
    QList<TrayMenuEntry::Role> m_roles; // of m_menu's actions, in order
    QSystemTrayIcon m_icon;
};
