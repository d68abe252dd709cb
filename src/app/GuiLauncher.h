#pragma once

// Replaces this process with quotix-gui, passing the arguments on unchanged
// (argv[0] included, so the desktop still sees "quotix"). Returns only on
// failure, with the exit status to use after saying why on standard error.
int execGuiFaces(char **argv);

// Set for quotix-gui to the launcher's absolute path: what the desktop should start.
inline constexpr char LauncherPathVariable[] = "QUOTIX_LAUNCHER";
