#pragma once

#include "core/UsageProvider.h"
#include "providers/CredentialParsing.h"
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
// once per login. An expired token is never sent (nor refreshed: that is the
// tool's to do).
class GeminiProvider : public UsageProvider
{
public:
    GeminiProvider(std::function<std::optional<StoredLogin>()> login, QUrl quotaEndpoint, HttpOptions options = {});

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
    NetworkSession m_session;
    // The project loadCodeAssist named, and for which token.
    std::shared_ptr<std::pair<QString, QString>> m_knownProject = std::make_shared<std::pair<QString, QString>>();
};
