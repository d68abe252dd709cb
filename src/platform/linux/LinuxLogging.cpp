#include "platform/linux/LinuxLogging.h"

// Warnings reach the journal by default; info and debug wait for a rule.
Q_LOGGING_CATEGORY(lcDBus, "quotix.dbus", QtWarningMsg)
Q_LOGGING_CATEGORY(lcTray, "quotix.tray", QtWarningMsg)
