#pragma once

#include "providers/ClaudeUsage.h"
#include "fetch/HttpUsageProvider.h"
#include "providers/KeychainService.h"

// The Claude subscription's usage, from Anthropic's OAuth usage endpoint,
// with the token Claude Code stored.
class ClaudeProvider : public HttpUsageProvider
{
public:
    explicit ClaudeProvider(KeychainService keychain, QUrl endpoint = defaultEndpoint(), HttpOptions options = {});
    ClaudeProvider(std::function<std::optional<StoredLogin>()> login, QUrl endpoint, HttpOptions options = {});

    static QUrl defaultEndpoint();
};
