#include "platform/macos/MacUptime.h"

#include <sys/sysctl.h>
#include <sys/time.h>

std::optional<double> MacUptime::seconds() const
{
    timeval boot{};
    size_t size = sizeof(boot);
    int name[2] = {CTL_KERN, KERN_BOOTTIME};
    if (sysctl(name, 2, &boot, &size, nullptr, 0) != 0)
        return std::nullopt;
    timeval now{};
    gettimeofday(&now, nullptr);
    return double(now.tv_sec - boot.tv_sec) + double(now.tv_usec - boot.tv_usec) / 1e6;
}
