#pragma once

#include <csignal>
#include <sys/resource.h>

// While it lives, every write that would make a file grow fails (EFBIG) as
// on a full disk, unprivileged and for this process only: the same failed
// write() and flush a full disk gives. Pipes and terminals are not limited.
class FileSizeLimit
{
public:
    FileSizeLimit()
    {
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN); // fail the call, do not kill the test
        ::getrlimit(RLIMIT_FSIZE, &m_previous);
        rlimit none = m_previous;
        none.rlim_cur = 0;
        ::setrlimit(RLIMIT_FSIZE, &none);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_previousHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_previous{};
    void (*m_previousHandler)(int) = nullptr;
};
