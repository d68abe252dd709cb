#include "core/Logging.h"

// QtFatalMsg as the threshold turns every level off until a rule turns it on.
Q_LOGGING_CATEGORY(lcRefresh, "quotix.refresh", QtFatalMsg)
Q_LOGGING_CATEGORY(lcNetwork, "quotix.network", QtFatalMsg)
Q_LOGGING_CATEGORY(lcPanel, "quotix.panel", QtFatalMsg)
