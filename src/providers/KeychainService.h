#pragma once

#include "core/os/CredentialStore.h"
#include "providers/CredentialParsing.h"
#include "providers/RereadPolicy.h"

#include <QString>

#include <memory>
#include <optional>

// Finds the OAuth access token that Claude Code stored, asking the store
// anew on every call (the tool may have refreshed it meanwhile).
class KeychainService
{
public:
    explicit KeychainService(std::shared_ptr<const CredentialStore> store, RereadPolicy reread = {});

    // "Claude Code-credentials" first, then "Claude Code". Blocking.
    std::optional<QString> getAccessToken() const;
    // The same lookup, with the token's expiry where the item records it.
    std::optional<StoredLogin> getLogin() const;

private:
    std::optional<StoredLogin> getLoginFromKeychain(const QString &item) const;

    std::shared_ptr<const CredentialStore> m_store;
    RereadPolicy m_reread;
};
