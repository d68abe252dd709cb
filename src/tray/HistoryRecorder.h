#pragma once

#include "core/HistorySample.h"

#include <QList>
#include <QObject>
#include <QString>

#include <memory>

class HistoryStore;
struct HistoryQuery;
class NotificationManager;
class UsageManager;

// Writes every successful check of the coordinator to the history file. A
// file that had to be set aside is reported once, on stderr and as a desktop
// notification; a history that cannot be written at all never stops the tray.
// SQLite is loaded for each write or read and let go when the event loop is
// back, so the idle tray does not keep the library in memory.
class HistoryRecorder : public QObject
{
    Q_OBJECT
public:
    // Opening loads SQLite and may set a damaged file aside; Later leaves it
    // to open() or the first check or read, so a start-up can show first.
    enum class Opening { Now, Later };

    // manager and notifications must outlive this object.
    HistoryRecorder(UsageManager *manager, NotificationManager *notifications, const QString &path,
                    Opening opening = Opening::Now, QObject *parent = nullptr);
    ~HistoryRecorder() override;

    // Opens the file unless done already; whether history is written at all.
    bool open();
    bool isRecording() const { return m_store != nullptr; }
    // What was recorded; empty while nothing is.
    QList<HistorySample> samples(const HistoryQuery &query);

Q_SIGNALS:
    // After each recorded check, for the faces that draw the history.
    void recorded();

private:
    void tell(const QString &notice);
    void releaseSoon();

    NotificationManager *m_notifications;
    QString m_path;
    bool m_opened = false;
    std::unique_ptr<HistoryStore> m_store;
    bool m_releasePending = false;
};
