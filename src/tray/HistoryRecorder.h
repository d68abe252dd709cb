#pragma once

#include <QObject>
#include <QString>

#include <memory>

class HistoryStore;
class NotificationManager;
class UsageManager;

// Writes every successful check of the coordinator to the history file. A
// file that had to be set aside is reported once, on stderr and as a desktop
// notification; a history that cannot be written at all never stops the tray.
class HistoryRecorder : public QObject
{
    Q_OBJECT
public:
    // manager and notifications must outlive this object.
    HistoryRecorder(UsageManager *manager, NotificationManager *notifications, const QString &path,
                    QObject *parent = nullptr);
    ~HistoryRecorder() override;

    // Absent while no history can be written.
    HistoryStore *store() const { return m_store.get(); }

Q_SIGNALS:
    // After each recorded check, for the faces that draw the history.
    void recorded();

private:
    void tell(const QString &notice);

    NotificationManager *m_notifications;
    std::unique_ptr<HistoryStore> m_store;
};
