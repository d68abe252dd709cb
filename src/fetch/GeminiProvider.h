#pragma once

#include "core/UsageProvider.h"
#include "providers/CredentialParsing.h"
#include "fetch/GeminiProjectCache.h"
#include "fetch/HttpOptions.h"
#include "fetch/NetworkSession.h"

#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

// Gemini CLI's quota, from Google's Code Assist service, with the token the
// tool stored. The quota belongs to a Cloud project: GEMINI_CLOUD_PROJECT or
// GOOGLE_CLOUD_PROJECT where set, else the one loadCodeAssist names, asked
// once per login: kept in memory, and where the login's file is known, in a
// cache shared by every process (each check runs in one of its own). A 403 or
// 404 for the project drops it, so the next check asks again. An expired token
// is never sent (nor refreshed: that is the tool's to do).
class GeminiProvider : public UsageProvider
{
public:
    // loginFile: the file login reads, which keys the shared cache; without
    // one the project is kept in memory only.
    GeminiProvider(std::function<std::optional<StoredLogin>()> login, QUrl quotaEndpoint, HttpOptions options = {},
                   QString loginFile = {}, GeminiProjectCache cache = GeminiProjectCache());

    QString id() const override;
    QString name() const override;
    bool isAvailable() const override;
    FetchJob *fetchUsage(QObject *parent) override;

    // loadCodeAssist beside retrieveUserQuota on the same service.
    static QUrl projectEndpoint(const QUrl &quotaEndpoint);

private:
    friend class GeminiFetch;

    std::function<std::optional<StoredLogin>()> m_login;
    QUrl m_quotaEndpoint;
    HttpOptions m_options;
    std::shared_ptr<NetworkSession> m_session;
    QString m_loginFile;
    GeminiProjectCache m_cache;
    // The project loadCodeAssist named, and for which token.
    std::shared_ptr<std::pair<QString, QString>> m_knownProject = std::make_shared<std::pair<QString, QString>>();
};
