#pragma once

#include "core/os/KeychainTool.h"

#include <QString>

#include <memory>
#include <optional>

// Finds the access token that the Codex tool stored: the keychain item
// "Codex Auth" first, then its auth.json. Read only, nothing cached.
class CodexCredentialService
{
public:
    // authFilePath is absolute.
    CodexCredentialService(std::shared_ptr<const KeychainTool> tool, QString authFilePath);

    // Blocking.
    std::optional<QString> getAccessToken() const;

private:
    std::optional<QString> readFromKeychain() const;
    std::optional<QString> readFromAuthFile() const;

    std::shared_ptr<const KeychainTool> m_tool;
    QString m_authFilePath;
};
