#include "providers/ProviderDescriptor.h"
#include "providers/RereadPolicy.h"
#include "providers/SmallFile.h"
#include "providers/gemini/GeminiUsage.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace {

QString credentialsFile()
{
    return QDir::home().absoluteFilePath(u".gemini/oauth_creds.json"_s);
}

std::optional<StoredLogin> readLogin()
{
    return readUntilParsed(
        RereadPolicy{}, [] { return readSmallFile(credentialsFile(), MaxCredentialFileBytes); }, &geminiLoginFromFile);
}

QJsonObject bucket(const QString &model, double remaining, const QDateTime &reset)
{
    return QJsonObject{{u"modelId"_s, model},
                       {u"tokenType"_s, u"REQUESTS"_s},
                       {u"remainingFraction"_s, remaining},
                       {u"resetTime"_s, reset.toUTC().toString(Qt::ISODate)}};
}

// The demo: two models of a day's quota, the pro one a quarter used.
QByteArray demoQuota(const QDateTime &now)
{
    const QDateTime reset = now.addSecs(14 * 3600 + 37 * 60);
    const QJsonObject document{
        {u"buckets"_s,
         QJsonArray{bucket(u"gemini-3-pro-preview"_s, 0.76175, reset), bucket(u"gemini-2.5-flash"_s, 0.94, reset)}}};
    return QJsonDocument(document).toJson(QJsonDocument::Compact);
}

} // namespace

ProviderDescriptor geminiDescriptor()
{
    ProviderDescriptor descriptor;
    descriptor.look = {u"gemini"_s, u"Gemini"_s, u"G"_s, {}, {}, u"{gemini.gemini_3_pro_preview}"_s};
    descriptor.endpoint = QUrl(u"https://cloudcode-pa.googleapis.com/v1internal:retrieveUserQuota"_s);
    descriptor.credentials = [](const std::shared_ptr<const CredentialStore> &) -> LoginReader { return &readLogin; };
    descriptor.credentialFiles = [] { return QStringList{credentialsFile()}; };
    descriptor.demo = {
        {descriptor.endpoint.path(), [](const QDateTime &now, int) { return demoQuota(now); }},
        {geminiProjectEndpoint(descriptor.endpoint).path(),
         [](const QDateTime &, int) { return R"({"cloudaicompanionProject":"quotix-demo-project"})"_ba; }},
    };
    return descriptor;
}
