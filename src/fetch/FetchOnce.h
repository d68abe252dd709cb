#pragma once

// The word that starts one attempt in a process of its own:
//   quotix-status fetch-once ID [--demo ANSWERED] [--settings FILE]
// ID is a provider's or an extra account's id; the accounts are read from
// the settings (the user's, or FILE), the login by the provider itself.
// ANSWERED: how many demo answers came before. Writes the result as one
// line of FetchResultWire to standard output and exits 0; any other exit
// status is a failure of the program, said on standard error.
inline constexpr const char *FetchOnceWord = "fetch-once";

int runFetchOnce(int argc, char **argv);
