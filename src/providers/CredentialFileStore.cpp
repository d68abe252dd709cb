#include "providers/CredentialFileStore.h"

#include "providers/SmallFile.h"

#include <utility>

CredentialFileStore::CredentialFileStore(QHash<QString, QString> files)
    : m_files(std::move(files))
{}

std::optional<QByteArray> CredentialFileStore::find(const QString &item) const
{
    const auto file = m_files.constFind(item);
    if (file == m_files.cend())
        return std::nullopt;
    return readSmallFile(*file, MaxCredentialFileBytes);
}
