#pragma once

#include "core/FetchJob.h"
#include "providers/HttpOptions.h"
#include "providers/KeychainService.h"
#include "providers/NetworkSession.h"
#include "core/UsageProvider.h"

#include <QByteArray>
#include <QJsonObject>
#include <QUrl>

// What a Claude usage answer with this status and body means.
FetchResult claudeResultFor(int status, const QByteArray &body, const QString &providerName);
// The windows of a 200 answer; missing or malformed members are skipped or
// fall back, never fail.
ProviderUsageResponse parseClaudeUsage(const QJsonObject &object);

// The Claude subscription's usage, from Anthropic's OAuth usage endpoint,
// with the token Claude Code stored.
class ClaudeProvider : public UsageProvider
{
public:
    explicit ClaudeProvider(KeychainService keychain, QUrl endpoint = ClaudeProvider::defaultEndpoint(),
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
    KeychainService m_keychainService;
    QUrl m_endpoint;
    HttpOptions m_options;
    NetworkSession m_session;
};
