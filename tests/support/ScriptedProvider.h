#pragma once

#include "core/FetchJob.h"
#include "core/UsageProvider.h"
#include "core/os/NotificationManager.h"

#include <QElapsedTimer>
#include <QList>
#include <QTimer>

#include <chrono>

// A provider whose attempts end as the test scripted them, after a chosen delay.
class ScriptedProvider : public UsageProvider
{
public:
    struct Step
    {
        FetchResult result;
        std::chrono::milliseconds delay{0};
    };

    ScriptedProvider(QString id, QString name)
        : m_id(std::move(id))
        , m_name(std::move(name))
    {
        clock.start();
    }

    QString id() const override { return m_id; }
    QString name() const override { return m_name; }
    bool isAvailable() const override { return available; }

    FetchJob *fetchUsage(QObject *parent) override
    {
        attemptTimes.append(clock.elapsed());
        return new Job(parent, &aborts, &answered, steps.isEmpty() ? fallback : steps.takeFirst());
    }

    void script(QList<Step> list) { steps = std::move(list); }

    bool available = true;
    QList<Step> steps;
    Step fallback{ProviderUsageResponse{}, std::chrono::milliseconds(0)};
    QList<qint64> attemptTimes; // ms since construction
    QElapsedTimer clock;
    int aborts = 0;
    int answered = 0; // attempts that ended with their result

private:
    // Ends as scripted, after the step's delay on a timer of its own (a zero
    // delay still waits for the timers' turn); once aborted, finish() does nothing.
    struct Job : FetchJob
    {
        Job(QObject *parent, int *aborts, int *answered, const Step &step)
            : FetchJob(parent)
            , aborts(aborts)
        {
            timer.setSingleShot(true);
            timer.callOnTimeout(this, [this, answered, result = step.result] {
                ++*answered;
                finish(result);
            });
            timer.start(step.delay);
        }
        void onAbort() override { ++*aborts; }
        int *aborts;
        QTimer timer;
    };

    QString m_id;
    QString m_name;
};

// Limits named as the real providers name them get the kind those give them:
// "Session (5h)" and "5 Hour" are sessions, "Weekly…" is weekly, the rest other.
inline ProviderUsageResponse usageOf(std::initializer_list<std::pair<const char *, double>> limits)
{
    ProviderUsageResponse response;
    for (const auto &[name, utilization] : limits) {
        const QString label = QString::fromUtf8(name);
        const LimitKind kind = label == QLatin1StringView("Session (5h)") || label == QLatin1StringView("5 Hour")
            ? LimitKind::Session
            : label.startsWith(QLatin1StringView("Weekly")) ? LimitKind::Weekly
                                                            : LimitKind::Other;
        response.limits.append(UsageLimit{label, utilization, std::nullopt, kind, std::nullopt});
    }
    return response;
}

class RecordingNotifications : public NotificationManager
{
public:
    void requestPermission() override { ++permissionRequests; }
    void sendNotification(const QString &title, const QString &body) override { sent.append({title, body}); }
    void sendAlert(const QString &, const QString &title, const QString &body, bool replacesLast) override
    {
        replacing.append(replacesLast);
        sendNotification(title, body);
    }

    int permissionRequests = 0;
    QList<std::pair<QString, QString>> sent;
    QList<bool> replacing; // per alert: whether it takes the place of its provider's last one
};
