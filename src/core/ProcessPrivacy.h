#pragma once

// The process holds borrowed tokens: no core dumps, and no ptrace or
// /proc/<pid>/mem reads by other processes of the user. Call first in main().
void keepMemoryPrivate();
