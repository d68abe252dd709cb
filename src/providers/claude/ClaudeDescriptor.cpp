#include "providers/CredentialFileStore.h"
#include "providers/CredentialItems.h"
#include "providers/KeychainService.h"
#include "providers/PlatformKeychain.h"
#include "providers/ProviderDescriptor.h"
#include "providers/claude/ClaudeDemo.h"

#include <QDir>
#include <QUrl>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

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

QJsonObject window(double utilization, const QDateTime &resetsAt)
{
    return QJsonObject{{u"utilization"_s, utilization}, {u"resets_at"_s, rfc3339(resetsAt)}};
}

QJsonObject limit(const QString &kind, const QString &group, int percent, const QDateTime &resetsAt,
                  const QString &model = {})
{
    const QJsonValue scope = model.isEmpty()
        ? QJsonValue(QJsonValue::Null)
        : QJsonObject{{u"model"_s, QJsonObject{{u"id"_s, QJsonValue::Null}, {u"display_name"_s, model}}},
                      {u"surface"_s, QJsonValue::Null}};
    return QJsonObject{{u"kind"_s, kind},
                       {u"group"_s, group},
                       {u"percent"_s, percent},
                       {u"severity"_s, percent >= 75 ? u"warning"_s : u"normal"_s},
                       {u"resets_at"_s, rfc3339(resetsAt)},
                       {u"scope"_s, scope},
                       {u"is_active"_s, kind == u"weekly_all"_s}};
}

} // namespace

QByteArray ClaudeDemo::document(const QDateTime &now, double weeklyUsed)
{
    const QDateTime weeklyReset = now.addSecs(3 * Day + 4 * Hour + 12 * Minute);
    const QJsonObject document{
        {u"five_hour"_s, window(34.0, now.addSecs(2 * Hour + 17 * Minute))},
        {u"seven_day"_s, window(weeklyUsed, weeklyReset)},
        {u"seven_day_oauth_apps"_s, QJsonValue::Null},
        {u"seven_day_opus"_s, QJsonValue::Null},
        {u"seven_day_sonnet"_s, QJsonValue::Null},
        // Today's form of the same windows, with a model's own weekly cap.
        {u"limits"_s,
         QJsonArray{
             limit(u"session"_s, u"session"_s, 34, now.addSecs(2 * Hour + 17 * Minute)),
             limit(u"weekly_all"_s, u"weekly"_s, static_cast<int>(weeklyUsed), weeklyReset),
             limit(u"weekly_scoped"_s, u"weekly"_s, 48, weeklyReset, u"Fable"_s),
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

ProviderDescriptor claudeDescriptor()
{
    ProviderDescriptor descriptor;
    descriptor.look
        = {u"claude"_s, u"Claude"_s, u"C"_s, u"\U0001F916"_s, u"claude-icon"_s, u"{claude.fable} {claude.weekly_7d}"_s};
    descriptor.endpoint = QUrl(u"https://api.anthropic.com/api/oauth/usage"_s);
    descriptor.credentials = [](const std::shared_ptr<const CredentialStore> &store) -> LoginReader {
        return [keychain = KeychainService(store)] { return keychain.getLogin(); };
    };
    descriptor.credentialFiles = &platformStoreFilePaths;
    descriptor.accountFolderVariable = u"CLAUDE_CONFIG_DIR"_s;
    descriptor.accountCredentialFile
        = [](const QString &folder) { return QDir(folder).absoluteFilePath(u".credentials.json"_s); };
    // The folder's file only: the keychain's item belongs to the default account.
    descriptor.accountCredentials = [file = descriptor.accountCredentialFile](const QString &folder) -> LoginReader {
        const auto store
            = std::make_shared<CredentialFileStore>(QHash<QString, QString>{{ClaudeCredentialsItem, file(folder)}});
        return [keychain = KeychainService(store)] { return keychain.getLogin(); };
    };
    descriptor.demo = {{descriptor.endpoint.path(), [](const QDateTime &now, int answered) {
                            return ClaudeDemo::document(
                                now, answered == 0 ? ClaudeDemo::FirstWeeklyUsed : ClaudeDemo::LaterWeeklyUsed);
                        }}};
    return descriptor;
}
