#include "tray/HistoryRecorder.h"

#include "core/Console.h"
#include "core/UsageManager.h"
#include "core/os/NotificationManager.h"
#include "history/HistoryStore.h"

#include <QTimer>

using namespace Qt::StringLiterals;

HistoryRecorder::HistoryRecorder(UsageManager *manager, NotificationManager *notifications, const QString &path,
                                 Opening opening, QObject *parent)
    : QObject(parent)
    , m_notifications(notifications)
    , m_path(path)
{
    if (opening == Opening::Now)
        open();
    connect(manager, &UsageManager::usageReceived, this,
            [this](const QString &providerId, const ProviderUsageResponse &usage, const QDateTime &at) {
                if (!open())
                    return;
                QString notice;
                const bool written = m_store->record(providerId, usage.limits, at, &notice);
                releaseSoon();
                if (!notice.isEmpty())
                    tell(notice);
                if (written)
                    Q_EMIT recorded();
            });
}

HistoryRecorder::~HistoryRecorder() = default;

bool HistoryRecorder::open()
{
    if (!m_opened) {
        m_opened = true;
        QString notice;
        m_store = HistoryStore::openForWriting(m_path, &notice);
        if (!notice.isEmpty())
            tell(notice);
        releaseSoon();
    }
    return m_store != nullptr;
}

QList<HistorySample> HistoryRecorder::samples(const HistoryQuery &query)
{
    if (!open())
        return {};
    releaseSoon();
    return m_store->samples(query);
}

void HistoryRecorder::releaseSoon()
{
    // Once for what one answer brings: its check, its projections, the panel.
    if (!m_store || m_releasePending)
        return;
    m_releasePending = true;
    QTimer::singleShot(0, this, [this] {
        m_releasePending = false;
        m_store->release();
    });
}

void HistoryRecorder::tell(const QString &notice)
{
    Console::err(notice + u'\n');
    if (m_notifications)
        m_notifications->sendNotification(u"Quotix"_s, notice);
}
