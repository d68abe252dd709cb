#pragma once

#include "core/os/CredentialStore.h"

#include <QHash>

// Where there is no login keychain, the command-line tools keep the data an
// item would hold in a file of their own: this store reads those files, each
// named item from its file. Unknown items are missing.
class CredentialFileStore : public CredentialStore
{
public:
    // Item name → absolute file path.
    explicit CredentialFileStore(QHash<QString, QString> files);

    std::optional<QByteArray> find(const QString &item) const override;

private:
    QHash<QString, QString> m_files;
};
