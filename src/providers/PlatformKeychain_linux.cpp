#include "providers/CredentialFileStore.h"
#include "providers/CredentialItems.h"
#include "providers/PlatformKeychain.h"

std::unique_ptr<CredentialStore> createPlatformCredentialStore()
{
    // The Codex tool's file is read by its own reader, on every platform.
    return std::make_unique<CredentialFileStore>(
        QHash<QString, QString>{{ClaudeCredentialsItem, claudeCredentialsFilePath()}});
}

QStringList platformStoreFilePaths()
{
    return {claudeCredentialsFilePath()};
}
