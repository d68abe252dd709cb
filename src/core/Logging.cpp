#include "core/Logging.h"

// Warnings reach the journal by default; info and debug wait for a rule.
Q_LOGGING_CATEGORY(lcRefresh, "quotix.refresh", QtWarningMsg)
Q_LOGGING_CATEGORY(lcNetwork, "quotix.network", QtWarningMsg)
Q_LOGGING_CATEGORY(lcPanel, "quotix.panel", QtWarningMsg)
Q_LOGGING_CATEGORY(lcHistory, "quotix.history", QtWarningMsg)
