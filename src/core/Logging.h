#pragma once

#include <QLoggingCategory>

// Diagnostics of the shared layers: warnings always, info and debug when a rule
// turns them on, e.g. QT_LOGGING_RULES="quotix.*=true". Never a token in them.
Q_DECLARE_LOGGING_CATEGORY(lcRefresh)
Q_DECLARE_LOGGING_CATEGORY(lcNetwork)
Q_DECLARE_LOGGING_CATEGORY(lcPanel)
Q_DECLARE_LOGGING_CATEGORY(lcHistory)
