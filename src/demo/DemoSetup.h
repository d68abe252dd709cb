#pragma once

#include "providers/ProviderSetup.h"

#include <optional>

// Every provider talks to a substitute service inside this process with demo
// tokens; the user's own credentials are neither read nor sent. The endpoint
// overrides are checked all the same. Needs a running QCoreApplication.
std::optional<ProviderSetup> makeDemoProviderSetup(QString *error);

// The demo's set-up or the normal one.
std::optional<ProviderSetup> makeProviderSetup(bool demo, QString *error);
