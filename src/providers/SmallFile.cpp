#include "providers/SmallFile.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Closes the descriptor however the read ends.
struct Descriptor
{
    int fd;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

std::optional<QByteArray> readSmallFile(const QString &path, qint64 maxBytes)
{
    // Never blocks: a FIFO swapped in for the file opens at once and is then
    // refused by the check on what was opened, not on what the name was.
    // Symbolic links are followed (dotfiles often live in linked folders).
    const Descriptor file{::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)};
    if (file.fd < 0)
        return std::nullopt;
    struct stat status = {};
    if (::fstat(file.fd, &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;

    // Read one byte past the limit so that a file grown since the open is
    // still caught.
    QByteArray contents;
    char buffer[16 * 1024];
    while (contents.size() <= maxBytes) {
        const qint64 wanted = std::min<qint64>(sizeof buffer, maxBytes + 1 - contents.size());
        const ssize_t got = ::read(file.fd, buffer, static_cast<size_t>(wanted));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        contents.append(buffer, got);
    }
    if (contents.size() > maxBytes)
        return std::nullopt;
    return contents;
}
