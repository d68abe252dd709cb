#include "cli/StatusCommand.h"
#include "tray/ScreenshotCommand.h"
#include "tray/TrayApplication.h"

#include <cstring>

#ifdef __linux__
#include <sys/prctl.h>
#endif

// The first word picks the face: "status" and "screenshot" are one-shot
// commands that need no tray; anything else starts the tray application.
int main(int argc, char **argv)
{
#ifdef __linux__
    // Holds the borrowed tokens: no core dumps, no ptrace or /proc/<pid>/mem
    // reads by other processes of the user.
    ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
#endif
    if (argc > 1 && std::strcmp(argv[1], "status") == 0)
        return runStatusCommand(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "screenshot") == 0)
        return runScreenshotCommand(argc, argv);
    return runTrayApplication(argc, argv);
}
