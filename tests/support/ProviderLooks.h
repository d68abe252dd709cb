#pragma once

#include "providers/ProviderRegistry.h"

// The providers' looks, handed to the faces before any test runs, as each
// program's main() does.
inline const bool providerLooksInstalled = (installProviderLooks(), true);
