#include "providers/CredentialFileKeychain.h"

#include "providers/SmallFile.h"

#include <QDir>

#include <utility>

using namespace Qt::StringLiterals;

CredentialFileKeychain::CredentialFileKeychain(QString claudeConfigDir)
    : m_claudeConfigDir(std::move(claudeConfigDir))
{
}

ToolResult CredentialFileKeychain::findGenericPassword(const QString &service) const
{
    ToolResult result;
    result.launched = true;
    if (service != "Claude Code-credentials"_L1) {
        result.exitStatus = ItemNotFoundStatus;
        return result;
    }
    const std::optional<QByteArray> contents =
        readSmallFile(QDir(m_claudeConfigDir).filePath(u".credentials.json"_s), MaxCredentialFileBytes);
    if (!contents) {
        result.exitStatus = ReadFailedStatus;
        return result;
    }
    result.exitStatus = 0;
    result.output = *contents;
    return result;
}
