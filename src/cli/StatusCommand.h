#pragma once

#include "presentation/StatusFormat.h"

class UsageManager;

// The coordinator's state as `quotix status` shows it. Reads every
// provider's availability once, which may do I/O.
StatusSnapshot takeStatusSnapshot(const UsageManager &manager);

// quotix status [--json] [--demo]
int runStatusCommand(int argc, char **argv);
