#pragma once

#include <QObject>
#include <QStringList>

class Preferences;
class UsageManager;
struct TitleLayout;

// The tray title as the coordinator's state and the settings make it now:
// the providers the title's choice keeps, in the chosen limit and reading.
TitleLayout trayTitle(const UsageManager &manager, const Preferences &preferences);

// Turns the coordinator's state and the settings into the tray title: one
// render right after construction and one per change of the provider
// states, of the loading flag and of any setting. Deliveries are queued, and
// every render reads the state as stored, never the announced value.
class TitleObserver : public QObject
{
    Q_OBJECT
public:
    // Both must outlive the observer.
    TitleObserver(UsageManager *manager, Preferences *preferences, QObject *parent = nullptr);

Q_SIGNALS:
    void titleChanged(const TitleLayout &title, const QStringList &details);

private:
    void render();

    UsageManager *m_manager;
    Preferences *m_preferences;
};
