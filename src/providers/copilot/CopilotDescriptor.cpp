#include "providers/ProviderDescriptor.h"
#include "providers/RereadPolicy.h"
#include "providers/SmallFile.h"
#include "providers/copilot/CopilotUsage.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace {

// Where the editor plug-ins keep their login: apps.json, and hosts.json in
// older installs, under $XDG_CONFIG_HOME/github-copilot (~/.config when unset).
QStringList loginFiles()
{
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    const QDir folder(
        QDir(config.isEmpty() || QDir::isRelativePath(config) ? QDir::home().filePath(u".config"_s) : config)
            .filePath(u"github-copilot"_s));
    return {folder.absoluteFilePath(u"apps.json"_s), folder.absoluteFilePath(u"hosts.json"_s)};
}

std::optional<StoredLogin> readLogin()
{
    for (const QString &path : loginFiles()) {
        const std::optional<StoredLogin> login = readUntilParsed(
            RereadPolicy{}, [&] { return readSmallFile(path, MaxCredentialFileBytes); }, &copilotLoginFromFile);
        if (login)
            return login;
    }
    return std::nullopt;
}

// The demo: a Pro plan with 30 % of its premium requests used, chat and
// completions unlimited, reset at the start of next month.
QByteArray demoDocument(const QDateTime &now)
{
    const QDate today = now.toUTC().date();
    const QDate reset = QDate(today.year(), today.month(), 1).addMonths(1);
    const QString resetUtc = reset.toString(Qt::ISODate) + u"T00:00:00.000Z"_s;
    const QJsonObject document{
        {u"copilot_plan"_s, u"individual_pro"_s},
        {u"quota_reset_date"_s, reset.toString(Qt::ISODate)},
        {u"quota_reset_date_utc"_s, resetUtc},
        {u"quota_snapshots"_s,
         QJsonObject{{u"premium_interactions"_s,
                      QJsonObject{{u"entitlement"_s, 1500},
                                  {u"overage_count"_s, 0},
                                  {u"overage_permitted"_s, true},
                                  {u"percent_remaining"_s, 70.28},
                                  {u"quota_id"_s, u"premium_interactions"_s},
                                  {u"quota_remaining"_s, 1054.25},
                                  {u"remaining"_s, 1054},
                                  {u"unlimited"_s, false}}},
                     {u"chat"_s, QJsonObject{{u"unlimited"_s, true}}},
                     {u"completions"_s, QJsonObject{{u"unlimited"_s, true}}}}},
    };
    return QJsonDocument(document).toJson(QJsonDocument::Compact);
}

} // namespace

ProviderDescriptor copilotDescriptor()
{
    ProviderDescriptor descriptor;
    // "P": "C" is Claude's and "G" Gemini's.
    descriptor.look = {u"copilot"_s, u"Copilot"_s, u"P"_s, {}, {}, u"{copilot.premium_requests}"_s};
    descriptor.endpoint = QUrl(u"https://api.github.com/copilot_internal/user"_s);
    descriptor.credentials = [](const std::shared_ptr<const CredentialStore> &) -> LoginReader { return &readLogin; };
    descriptor.credentialFiles = &loginFiles;
    descriptor.demo = {{descriptor.endpoint.path(), [](const QDateTime &now, int) { return demoDocument(now); }}};
    return descriptor;
}
