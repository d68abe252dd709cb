#pragma once

#include "core/os/KeychainTool.h"

// Runs the system's `security` tool as a child process, once per lookup.
// Blocking; each call has its own process, so any thread may call it.
class SecurityToolKeychain : public KeychainTool
{
public:
    explicit SecurityToolKeychain(QString program = QStringLiteral("/usr/bin/security"));

    ToolResult findGenericPassword(const QString &service) const override;

private:
    QString m_program;
};
