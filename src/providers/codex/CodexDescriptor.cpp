#include "providers/CodexCredentialService.h"
#include "providers/CredentialFileStore.h"
#include "providers/PlatformKeychain.h"
#include "providers/ProviderDescriptor.h"

#include <QDir>
#include <QUrl>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 Minute = 60;
constexpr qint64 Hour = 60 * Minute;
constexpr qint64 Day = 24 * Hour;

QJsonObject window(double usedPercent, qint64 windowSeconds, qint64 resetAfter, const QDateTime &now)
{
    return QJsonObject{
        {u"used_percent"_s, usedPercent},
        {u"limit_window_seconds"_s, windowSeconds},
        {u"reset_after_seconds"_s, resetAfter},
        {u"reset_at"_s, now.toSecsSinceEpoch() + resetAfter},
    };
}

// The demo's answer: a Plus plan with both windows and the code reviews' own.
QByteArray demoDocument(const QDateTime &now)
{
    const QJsonObject document{
        {u"plan_type"_s, u"plus"_s},
        {u"rate_limit"_s,
         QJsonObject{
             {u"allowed"_s, true},
             {u"limit_reached"_s, false},
             {u"primary_window"_s, window(22.0, 5 * Hour, 2 * Hour + 44 * Minute, now)},
             {u"secondary_window"_s, window(41.0, 7 * Day, 4 * Day + 2 * Hour + 30 * Minute, now)},
         }},
        {u"code_review_rate_limit"_s,
         QJsonObject{
             {u"allowed"_s, true},
             {u"limit_reached"_s, false},
             {u"primary_window"_s, window(6.0, 7 * Day, 5 * Day + 9 * Hour, now)},
             {u"secondary_window"_s, QJsonValue::Null},
         }},
        {u"credits"_s, QJsonObject{{u"has_credits"_s, false}, {u"unlimited"_s, false}, {u"balance"_s, u"0"_s}}},
    };
    return QJsonDocument(document).toJson(QJsonDocument::Compact);
}

} // namespace

ProviderDescriptor codexDescriptor()
{
    ProviderDescriptor descriptor;
    // "X": "C" is Claude's.
    descriptor.look = {u"codex"_s, u"Codex"_s, u"X"_s, u"\u26A1"_s, u"codex-icon"_s, u"{codex.monthly}"_s};
    descriptor.endpoint = QUrl(u"https://chatgpt.com/backend-api/wham/usage"_s);
    descriptor.credentials = [](const std::shared_ptr<const CredentialStore> &store) -> LoginReader {
        return [reader = CodexCredentialService(store, codexAuthFilePath())] { return reader.getLogin(); };
    };
    descriptor.credentialFiles = [] { return QStringList{codexAuthFilePath()}; };
    descriptor.demo = {{descriptor.endpoint.path(), [](const QDateTime &now, int) { return demoDocument(now); }}};
    descriptor.accountFolderVariable = u"CODEX_HOME"_s;
    descriptor.accountCredentialFile
        = [](const QString &folder) { return QDir(folder).absoluteFilePath(u"auth.json"_s); };
    // The folder's file only: the keychain's item belongs to the default account.
    descriptor.accountCredentials = [file = descriptor.accountCredentialFile](const QString &folder) -> LoginReader {
        const auto none = std::make_shared<CredentialFileStore>(QHash<QString, QString>{});
        return [reader = CodexCredentialService(none, file(folder))] { return reader.getLogin(); };
    };
    return descriptor;
}
