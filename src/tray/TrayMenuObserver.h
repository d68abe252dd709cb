#pragma once

#include "presentation/TrayItem.h"

#include <QList>
#include <QObject>

class LaunchAtLogin;
class Preferences;
class UsageManager;

// Turns the coordinator's state and the login switch into the tray menu's
// rows: once after construction, on every change, and when a menu is about
// to open (the countdowns have moved on). Deliveries are queued, like the title's.
class TrayMenuObserver : public QObject
{
    Q_OBJECT
public:
    // Both must outlive the observer.
    TrayMenuObserver(UsageManager *manager, LaunchAtLogin *launchAtLogin, Preferences *preferences,
                     QObject *parent = nullptr);

    // Renders now; announces only a menu that differs from the last one.
    void render();

Q_SIGNALS:
    void menuChanged(const QList<TrayMenuEntry> &entries);

private:
    UsageManager *m_manager;
    LaunchAtLogin *m_launchAtLogin;
    Preferences *m_preferences;
    QList<TrayMenuEntry> m_last;
};
