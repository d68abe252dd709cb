#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>

class TrayHost;
class TrayItem;

// Looks for a tray until one turns up or patience runs out. Started from
// autostart, the application may come up a little before the panel does.
class TrayHostWaiter : public QObject
{
    Q_OBJECT
public:
    // host must outlive the waiter.
    TrayHostWaiter(TrayHost *host, std::chrono::milliseconds patience, std::chrono::milliseconds pollInterval,
                   QObject *parent = nullptr);

    // The first look happens in the event loop, not inside start().
    void start();

Q_SIGNALS:
    // The receiver takes ownership of item, which has no parent.
    void found(TrayItem *item);
    void gaveUp();

private:
    void look();

    TrayHost *m_host;
    std::chrono::milliseconds m_patience;
    QTimer m_poll;
    std::chrono::steady_clock::time_point m_deadline;
};
