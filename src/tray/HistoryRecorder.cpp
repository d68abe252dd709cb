#include "tray/HistoryRecorder.h"

#include "core/Console.h"
#include "core/UsageManager.h"
#include "core/os/NotificationManager.h"
#include "history/HistoryStore.h"

using namespace Qt::StringLiterals;

HistoryRecorder::HistoryRecorder(UsageManager *manager, NotificationManager *notifications, const QString &path,
                                 QObject *parent)
    : QObject(parent)
    , m_notifications(notifications)
{
    QString notice;
    m_store = HistoryStore::openForWriting(path, &notice);
    if (!notice.isEmpty())
        tell(notice);
    connect(manager, &UsageManager::usageReceived, this,
            [this](const QString &providerId, const ProviderUsageResponse &usage, const QDateTime &at) {
                if (!m_store)
                    return;
                QString notice;
                const bool written = m_store->record(providerId, usage.limits, at, &notice);
                if (!notice.isEmpty())
                    tell(notice);
                if (written)
                    Q_EMIT recorded();
            });
}

HistoryRecorder::~HistoryRecorder() = default;

void HistoryRecorder::tell(const QString &notice)
{
    Console::err(notice + u'\n');
    if (m_notifications)
        m_notifications->sendNotification(u"Quotix"_s, notice);
}
