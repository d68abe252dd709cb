#pragma once

#include "core/os/TrayItem.h"

#include <QMenu>
#include <QSystemTrayIcon>

// The tray item through Qt's own tray icon: XEmbed trays on X11, the menu
// bar on macOS. The host gives one square slot, so the icon is the badge
// with the numbers; the title and the details go into the tooltip.
class SystemTrayItem : public TrayItem
{
    Q_OBJECT
public:
    explicit SystemTrayItem(QObject *parent = nullptr);

    void setTitle(const TitleLayout &title, const QStringList &details) override;

private:
    void onActivated(QSystemTrayIcon::ActivationReason reason);

    QMenu m_menu;
    QSystemTrayIcon m_icon;
};
