#pragma once

#include "core/os/KeychainTool.h"

#include <QString>

#include <memory>
#include <optional>

// Finds the OAuth access token that Claude Code stored, asking the keychain
// anew on every call (the tool may have refreshed it meanwhile).
class KeychainService
{
public:
    explicit KeychainService(std::shared_ptr<const KeychainTool> tool);

    // "Claude Code-credentials" first, then "Claude Code". Blocking.
    std::optional<QString> getAccessToken() const;

private:
    std::optional<QString> getTokenFromKeychain(const QString &service) const;

    std::shared_ptr<const KeychainTool> m_tool;
};
