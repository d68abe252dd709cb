#include "providers/SmallFile.h"

#include <QFile>
#include <QFileInfo>

std::optional<QByteArray> readSmallFile(const QString &path, qint64 maxBytes)
{
    // A FIFO or device would block or never end.
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // Read one byte past the limit so that a file grown since any size check
    // is still caught.
    QByteArray contents = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError || contents.size() > maxBytes)
        return std::nullopt;
    return contents;
}
