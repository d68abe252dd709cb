#include "core/ProcessPrivacy.h"
#include "providers/ProviderRegistry.h"
#include "tray/ScreenshotCommand.h"
#include "tray/TrayApplication.h"

#include <cstring>

// The launcher sends "status" and "history" to quotix-status, so the tray's
// own program leaves their code out: all of it would stay in memory all day.
int main(int argc, char **argv)
{
    keepMemoryPrivate();
    installProviderLooks();
    if (argc > 1 && std::strcmp(argv[1], "screenshot") == 0)
        return runScreenshotCommand(argc, argv);
    return runTrayApplication(argc, argv);
}
