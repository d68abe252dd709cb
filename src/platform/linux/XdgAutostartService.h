#pragma once

#include "core/LaunchAtLogin.h"

#include <QString>

// Launch at login through an XDG autostart entry, <folder>/quotix.desktop.
// The entry counts as enabled when it exists and is neither Hidden=true nor
// X-GNOME-Autostart-enabled=false.
class XdgAutostartService : public LoginItemService
{
public:
    // folder: usually defaultFolder(); executable: an absolute path.
    XdgAutostartService(QString folder, QString executable);

    QString entryPath() const;

    bool isEnabled() const override;
    std::optional<QString> registerItem() override;
    std::optional<QString> unregisterItem() override;

    // $XDG_CONFIG_HOME/autostart, by default ~/.config/autostart.
    static QString defaultFolder();

private:
    QString m_folder;
    QString m_executable;
};

// One argument of an Exec= line: quoted when it holds a reserved character,
// then escaped for the desktop file's string syntax.
QString desktopExecArgument(const QString &argument);
