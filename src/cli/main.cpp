#include "cli/StatusCommand.h"

#ifdef __linux__
#include <sys/prctl.h>
#endif

int main(int argc, char **argv)
{
#ifdef __linux__
    // Holds the borrowed tokens: no core dumps, no ptrace or /proc/<pid>/mem
    // reads by other processes of the user.
    ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
#endif
    return runStatusCommand(argc, argv);
}
