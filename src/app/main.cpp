#include "Commands.h"
#include "GuiLauncher.h"

#include <cstring>

// "status" is answered here, with Core and Network alone; the tray and the
// screenshot command live in quotix-gui, which this process becomes.
int main(int argc, char **argv)
{
    if (argc > 1 && std::strcmp(argv[1], "status") == 0)
        return runStatusCommand(argc, argv);
    return execGuiFaces(argv);
}
