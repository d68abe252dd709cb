#include "demo/DemoData.h"

#include "demo/UsageService.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 Minute = 60;
constexpr qint64 Hour = 60 * Minute;
constexpr qint64 Day = 24 * Hour;

// RFC 3339 with microseconds and a numeric offset, as the Claude service writes it.
QString rfc3339(const QDateTime &moment)
{
    return moment.toUTC().toString(u"yyyy-MM-ddTHH:mm:ss.zzz"_s) + u"417+00:00"_s;
}

QJsonObject claudeWindow(double utilization, const QDateTime &resetsAt)
{
    return QJsonObject{{u"utilization"_s, utilization}, {u"resets_at"_s, rfc3339(resetsAt)}};
}

QJsonObject claudeLimit(const QString &kind, const QString &group, int percent, const QDateTime &resetsAt,
                        const QString &model = {})
{
    const QJsonValue scope = model.isEmpty()
        ? QJsonValue(QJsonValue::Null)
        : QJsonObject{{u"model"_s, QJsonObject{{u"id"_s, QJsonValue::Null}, {u"display_name"_s, model}}},
                      {u"surface"_s, QJsonValue::Null}};
    return QJsonObject{{u"kind"_s, kind},           {u"group"_s, group},
                       {u"percent"_s, percent},     {u"severity"_s, percent >= 75 ? u"warning"_s : u"normal"_s},
                       {u"resets_at"_s, rfc3339(resetsAt)}, {u"scope"_s, scope},
                       {u"is_active"_s, kind == u"weekly_all"_s}};
}

QJsonObject codexWindow(double usedPercent, qint64 windowSeconds, qint64 resetAfter, const QDateTime &now)
{
    return QJsonObject{
        {u"used_percent"_s, usedPercent},
        {u"limit_window_seconds"_s, windowSeconds},
        {u"reset_after_seconds"_s, resetAfter},
        {u"reset_at"_s, now.toSecsSinceEpoch() + resetAfter},
    };
}

ServiceAnswer jsonAnswer(const QByteArray &body)
{
    ServiceAnswer answer;
    answer.body = body;
    return answer;
}

} // namespace

namespace DemoData {

QByteArray claudeDocument(const QDateTime &now, double weeklyUsed)
{
    const QDateTime weeklyReset = now.addSecs(3 * Day + 4 * Hour + 12 * Minute);
    const QJsonObject document{
        {u"five_hour"_s, claudeWindow(34.0, now.addSecs(2 * Hour + 17 * Minute))},
        {u"seven_day"_s, claudeWindow(weeklyUsed, weeklyReset)},
        {u"seven_day_oauth_apps"_s, QJsonValue::Null},
        {u"seven_day_opus"_s, QJsonValue::Null},
        {u"seven_day_sonnet"_s, QJsonValue::Null},
        // Today's form of the same windows, with a model's own weekly cap.
        {u"limits"_s,
         QJsonArray{
             claudeLimit(u"session"_s, u"session"_s, 34, now.addSecs(2 * Hour + 17 * Minute)),
             claudeLimit(u"weekly_all"_s, u"weekly"_s, static_cast<int>(weeklyUsed), weeklyReset),
             claudeLimit(u"weekly_scoped"_s, u"weekly"_s, 48, weeklyReset, u"Fable"_s),
         }},
        {u"extra_usage"_s,
         QJsonObject{{u"is_enabled"_s, true},
                     {u"monthly_limit"_s, 4000},
                     {u"used_credits"_s, 1250.0},
                     {u"utilization"_s, 31.25},
                     {u"currency"_s, u"EUR"_s},
                     {u"decimal_places"_s, 2}}},
    };
    return QJsonDocument(document).toJson(QJsonDocument::Compact);
}

QByteArray codexDocument(const QDateTime &now)
{
    const QJsonObject document{
        {u"plan_type"_s, u"plus"_s},
        {u"rate_limit"_s,
         QJsonObject{
             {u"allowed"_s, true},
             {u"limit_reached"_s, false},
             {u"primary_window"_s, codexWindow(22.0, 5 * Hour, 2 * Hour + 44 * Minute, now)},
             {u"secondary_window"_s, codexWindow(41.0, 7 * Day, 4 * Day + 2 * Hour + 30 * Minute, now)},
         }},
        {u"code_review_rate_limit"_s,
         QJsonObject{
             {u"allowed"_s, true},
             {u"limit_reached"_s, false},
             {u"primary_window"_s, codexWindow(6.0, 7 * Day, 5 * Day + 9 * Hour, now)},
             {u"secondary_window"_s, QJsonValue::Null},
         }},
        {u"credits"_s, QJsonObject{{u"has_credits"_s, false}, {u"unlimited"_s, false}, {u"balance"_s, u"0"_s}}},
    };
    return QJsonDocument(document).toJson(QJsonDocument::Compact);
}

void serveDemoDocuments(UsageService &service)
{
    // Shared, since the service may copy the factory.
    auto answered = std::make_shared<int>(0);
    service.setDefaultAnswerFactory(UsageService::ClaudePath, [answered] {
        const double weekly = (*answered)++ == 0 ? FirstWeeklyUsed : LaterWeeklyUsed;
        return jsonAnswer(claudeDocument(QDateTime::currentDateTimeUtc(), weekly));
    });
    service.setDefaultAnswerFactory(UsageService::CodexPath,
                                    [] { return jsonAnswer(codexDocument(QDateTime::currentDateTimeUtc())); });
}

} // namespace DemoData
