#pragma once

#include "providers/CodexCredentialService.h"
#include "providers/CodexUsage.h"
#include "core/FetchJob.h"
#include "providers/HttpOptions.h"
#include "providers/NetworkSession.h"
#include "core/UsageProvider.h"

#include <QByteArray>
#include <QUrl>

// What a Codex usage answer with this status and body means.
FetchResult codexResultFor(int status, const QByteArray &body, const QString &providerName);
// "5 Hour", "Weekly" and "Code Review", each only when its window is present.
ProviderUsageResponse codexUsageToResponse(const CodexUsageResponse &usage);

// The ChatGPT subscription's usage as the Codex tool sees it, from the
// ChatGPT backend's usage endpoint, with the token the Codex tool stored.
class CodexProvider : public UsageProvider
{
public:
    explicit CodexProvider(CodexCredentialService credentials, QUrl endpoint = CodexProvider::defaultEndpoint(),
                           HttpOptions options = {});

    static QUrl defaultEndpoint();

    QString id() const override;
    QString name() const override;
    QString icon() const override;
    std::optional<QString> iconName() const override;
    NamedColor accentColor() const override;
    bool isAvailable() const override;
    FetchJob *fetchUsage(QObject *parent) override;

private:
    CodexCredentialService m_credentialService;
    QUrl m_endpoint;
    HttpOptions m_options;
    NetworkSession m_session;
};
