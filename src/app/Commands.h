#pragma once

// Each command builds its own application object and runs to its exit status.
int runTrayApplication(int argc, char **argv);
int runStatusCommand(int argc, char **argv);
int runScreenshotCommand(int argc, char **argv);
