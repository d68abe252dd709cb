#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Where the command-line tools keep their logins: a lookup of one item by
// its name, giving the item's stored data as it is. Read only.
class CredentialStore
{
public:
    virtual ~CredentialStore() = default;
    // The item's data; absent when the item is missing or cannot be read.
    // Blocking.
    virtual std::optional<QByteArray> find(const QString &item) const = 0;
};
