#include "core/ProcessPrivacy.h"

#include <sys/prctl.h>

void keepMemoryPrivate()
{
    ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
}
