#pragma once

#include "core/os/CredentialStore.h"

// The login keychain, through the system's `security` tool run as a child
// process once per lookup. Blocking; each call has its own process, so any
// thread may call it.
class SecurityToolStore : public CredentialStore
{
public:
    explicit SecurityToolStore(QString program = QStringLiteral("/usr/bin/security"));

    // The item's password data when the tool exits with status 0.
    std::optional<QByteArray> find(const QString &item) const override;

private:
    QString m_program;
};
