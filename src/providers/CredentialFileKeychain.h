#pragma once

#include "core/os/KeychainTool.h"

// Where there is no login keychain, Claude Code keeps the document that the
// keychain item "Claude Code-credentials" would hold in
// <config dir>/.credentials.json. This answers lookups from that file, read
// only; every other item is reported missing.
class CredentialFileKeychain : public KeychainTool
{
public:
    explicit CredentialFileKeychain(QString claudeConfigDir);

    ToolResult findGenericPassword(const QString &service) const override;

    // Exit statuses modelled on the security tool's.
    static constexpr int ReadFailedStatus = 1;
    static constexpr int ItemNotFoundStatus = 44;

private:
    QString m_claudeConfigDir;
};
