#include "cli/HistoryCommand.h"
#include "cli/StatusCommand.h"
#include "core/ProcessPrivacy.h"
#include "providers/ProviderRegistry.h"

int main(int argc, char **argv)
{
    keepMemoryPrivate();
    installProviderLooks();
    if (argc > 1 && qstrcmp(argv[1], "history") == 0)
        return runHistoryCommand(argc, argv);
    return runStatusCommand(argc, argv);
}
