#include "core/ProcessPrivacy.h"
#include "providers/ProviderRegistry.h"
#include "tray/ScreenshotCommand.h"
#include "tray/TrayApplication.h"

#ifdef Q_OS_MACOS
#include "cli/HistoryCommand.h"
#include "cli/StatusCommand.h"
#include "fetch/FetchOnce.h"
#endif

#include <cstring>

// The first word picks the face: "screenshot" is a one-shot command that needs
// no tray; anything else starts the tray application. On macOS the bundle's
// one executable also answers "status", "history" and the tray's checks,
// which elsewhere are quotix-status's.
int main(int argc, char **argv)
{
    keepMemoryPrivate();
    installProviderLooks();
#ifdef Q_OS_MACOS
    if (argc > 1 && std::strcmp(argv[1], FetchOnceWord) == 0)
        return runFetchOnce(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "status") == 0)
        return runStatusCommand(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "history") == 0)
        return runHistoryCommand(argc, argv);
#endif
    if (argc > 1 && std::strcmp(argv[1], "screenshot") == 0)
        return runScreenshotCommand(argc, argv);
    return runTrayApplication(argc, argv);
}
