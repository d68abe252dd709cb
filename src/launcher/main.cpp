#include "launcher/Launcher.h"

#include <cstring>

// quotix itself links no Qt at all: it only picks the face and becomes it, so
// neither the one-shot command nor the tray pays for the other's libraries.
int main(int, char **argv)
{
    const bool status
        = argv[0] && argv[1] && (std::strcmp(argv[1], "status") == 0 || std::strcmp(argv[1], "history") == 0);
    return execFace(status ? "quotix-status" : "quotix-gui", argv);
}
