#include "cli/StatusCommand.h"
#include "core/ProcessPrivacy.h"

int main(int argc, char **argv)
{
    keepMemoryPrivate();
    return runStatusCommand(argc, argv);
}
