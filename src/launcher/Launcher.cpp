#include "launcher/Launcher.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <unistd.h>

int execFace(const char *program, char **argv)
{
    char self[PATH_MAX] = {};
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) {
        std::fprintf(stderr, "quotix: cannot find where quotix is installed: %s\n", std::strerror(errno));
        return 127;
    }
    setenv(QUOTIX_LAUNCHER_VARIABLE, self, 1);
    *(std::strrchr(self, '/') + 1) = '\0';

    int error = ENOENT;
    for (const char *folder : {"", QUOTIX_LIBEXEC_FROM_BIN "/"}) {
        char candidate[PATH_MAX];
        if (std::snprintf(candidate, sizeof candidate, "%s%s%s", self, folder, program) >= int(sizeof candidate))
            continue;
        if (access(candidate, X_OK) != 0)
            continue;
        execv(candidate, argv);
        error = errno;
    }
    std::fprintf(stderr, "quotix: cannot start %s from %s: %s\n", program, self, std::strerror(error));
    return 127;
}
