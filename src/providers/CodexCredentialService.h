#pragma once

#include "core/os/CredentialStore.h"
#include "providers/CredentialParsing.h"
#include "providers/RereadPolicy.h"

#include <QString>

#include <memory>
#include <optional>

// Finds the access token that the Codex tool stored: the store's item
// "Codex Auth" first, then its auth.json. Read only, nothing cached.
class CodexCredentialService
{
public:
    // authFilePath is absolute.
    CodexCredentialService(std::shared_ptr<const CredentialStore> store, QString authFilePath,
                           RereadPolicy reread = {});

    // Blocking.
    std::optional<QString> getAccessToken() const;
    // The same token, with the expiry its JWT claims.
    std::optional<StoredLogin> getLogin() const;

private:
    std::optional<QString> readFromKeychain() const;
    std::optional<QString> readFromAuthFile() const;

    std::shared_ptr<const CredentialStore> m_store;
    QString m_authFilePath;
    RereadPolicy m_reread;
};
