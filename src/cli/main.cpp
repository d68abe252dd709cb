#include "cli/StatusCommand.h"

int main(int argc, char **argv)
{
    return runStatusCommand(argc, argv);
}
