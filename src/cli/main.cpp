#include "cli/HistoryCommand.h"
#include "cli/StatusCommand.h"
#include "core/ProcessPrivacy.h"
#include "fetch/FetchOnce.h"
#include "providers/ProviderRegistry.h"

int main(int argc, char **argv)
{
    keepMemoryPrivate();
    installProviderLooks();
    // The tray's checks; not a command users type.
    if (argc > 1 && qstrcmp(argv[1], FetchOnceWord) == 0)
        return runFetchOnce(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "history") == 0)
        return runHistoryCommand(argc, argv);
    return runStatusCommand(argc, argv);
}
