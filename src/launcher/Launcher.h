#pragma once

// Replaces this process with the face program of that name, found beside the
// launcher (build tree) or in its libexec folder (installed), passing the
// arguments on unchanged (argv[0] included, so the desktop still sees
// "quotix"). Returns only on failure, with the exit status to use after
// saying why on standard error.
int execFace(const char *program, char **argv);
