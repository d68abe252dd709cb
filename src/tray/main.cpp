#include "cli/HistoryCommand.h"
#include "cli/StatusCommand.h"
#include "core/ProcessPrivacy.h"
#include "fetch/FetchOnce.h"
#include "providers/ProviderRegistry.h"
#include "tray/ScreenshotCommand.h"
#include "tray/TrayApplication.h"

#include <cstring>

// The macOS bundle's one program. The first word picks the face: "status",
// "history", "screenshot" and the tray's checks are one-shot commands that
// need no tray; anything else starts the tray application.
int main(int argc, char **argv)
{
    keepMemoryPrivate();
    installProviderLooks();
    if (argc > 1 && std::strcmp(argv[1], FetchOnceWord) == 0)
        return runFetchOnce(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "status") == 0)
        return runStatusCommand(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "history") == 0)
        return runHistoryCommand(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "screenshot") == 0)
        return runScreenshotCommand(argc, argv);
    return runTrayApplication(argc, argv);
}
