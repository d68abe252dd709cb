#include "GuiLauncher.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

std::string ownPath()
{
    std::string path(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (length <= 0)
        return {};
    path.resize(std::size_t(length));
    return path;
}

} // namespace

int execGuiFaces(char **argv)
{
    const std::string self = ownPath();
    const std::string folder = self.substr(0, self.rfind('/') + 1);
    // Beside the launcher in the build tree; in libexec once installed.
    const std::string candidates[] = {folder + "quotix-gui", folder + QUOTIX_GUI_FROM_BIN "/quotix-gui"};
    if (!self.empty())
        setenv(LauncherPathVariable, self.c_str(), 1);
    int error = ENOENT;
    for (const std::string &candidate : candidates) {
        if (self.empty() || access(candidate.c_str(), X_OK) != 0)
            continue;
        execv(candidate.c_str(), argv);
        error = errno;
    }
    std::fprintf(stderr, "quotix: cannot start quotix-gui next to %s: %s\n", self.empty() ? "quotix" : self.c_str(),
                 std::strerror(error));
    return 127;
}
