#include "core/ProcessPrivacy.h"

// Elsewhere the system's own rules for debuggers and crash reports apply.
void keepMemoryPrivate() {}
