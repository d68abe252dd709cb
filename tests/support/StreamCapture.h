#pragma once

#include <QTemporaryFile>

#include <cstdio>
#include <unistd.h>

// What work writes to a standard stream (STDOUT_FILENO, STDERR_FILENO).
template <typename Work> QByteArray captureStream(int fd, Work work)
{
    QTemporaryFile file;
    if (!file.open())
        qFatal("no temporary file");
    std::fflush(nullptr);
    const int saved = ::dup(fd);
    ::dup2(file.handle(), fd);
    work();
    std::fflush(nullptr);
    ::dup2(saved, fd);
    ::close(saved);
    file.seek(0);
    return file.readAll();
}
