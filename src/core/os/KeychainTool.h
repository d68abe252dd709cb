#pragma once

#include <QByteArray>
#include <QString>

// What one run of the credential tool gave back.
struct ToolResult
{
    bool launched = false;
    int exitStatus = -1;
    QByteArray output;
};

// Looks up one generic-password item by its service name, the way
// `security find-generic-password -s <service> -w` does: the item's password
// data on standard output and exit status 0, or a non-zero status when the
// item is missing or cannot be read.
class KeychainTool
{
public:
    virtual ~KeychainTool() = default;
    virtual ToolResult findGenericPassword(const QString &service) const = 0;
};
