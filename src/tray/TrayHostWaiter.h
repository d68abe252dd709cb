#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>

class TrayHost;
class TrayItem;

// Looks for a tray until one turns up. Started from autostart, the
// application may come up a little before the panel does; after patience
// runs out it says so once and keeps looking, slowly and whenever the host
// reports that a tray may have appeared (GNOME's extension enabled later).
class TrayHostWaiter : public QObject
{
    Q_OBJECT
public:
    // host must outlive the waiter.
    TrayHostWaiter(TrayHost *host, std::chrono::milliseconds patience, std::chrono::milliseconds pollInterval,
                   std::chrono::milliseconds slowPollInterval, QObject *parent = nullptr);

    // The first look happens in the event loop, not inside start().
    void start();

Q_SIGNALS:
    // The receiver takes ownership of item, which has no parent.
    void found(TrayItem *item);
    // Once, when patience ran out; looking goes on.
    void gaveUp();

private:
    void look();

    TrayHost *m_host;
    std::chrono::milliseconds m_patience;
    std::chrono::milliseconds m_slowPollInterval;
    QTimer m_poll;
    std::chrono::steady_clock::time_point m_deadline;
    bool m_gaveUp = false;
    bool m_found = false;
};
