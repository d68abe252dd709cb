#pragma once

#include "providers/CodexCredentialService.h"
#include "providers/CodexUsage.h"
#include "fetch/HttpUsageProvider.h"

// The ChatGPT subscription's usage as the Codex tool sees it, from the
// ChatGPT backend's usage endpoint, with the token the Codex tool stored.
class CodexProvider : public HttpUsageProvider
{
public:
    explicit CodexProvider(CodexCredentialService reader, QUrl endpoint = defaultEndpoint(), HttpOptions options = {});
    CodexProvider(std::function<std::optional<StoredLogin>()> login, QUrl endpoint, HttpOptions options = {});

    static QUrl defaultEndpoint();
};
