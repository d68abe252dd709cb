#include "core/Console.h"

#include <cstdio>

#include <unistd.h>

namespace {

bool write(std::FILE *stream, const QByteArray &bytes)
{
    const auto size = static_cast<size_t>(bytes.size());
    const bool written = std::fwrite(bytes.constData(), 1, size, stream) == size;
    return std::fflush(stream) == 0 && written;
}

} // namespace

namespace Console {

bool out(const QString &text)
{
    return write(stdout, text.toUtf8());
}

bool out(const QByteArray &bytes)
{
    return write(stdout, bytes);
}

bool err(const QString &text)
{
    return write(stderr, text.toUtf8());
}

void endWithoutTeardown(int status)
{
#if !defined(__SANITIZE_ADDRESS__)
    std::fflush(nullptr);
    ::_exit(status);
#else
    Q_UNUSED(status);
#endif
}

} // namespace Console
