#include "platform/linux/LinuxLogging.h"

// QtFatalMsg as the threshold turns every level off until a rule turns it on.
Q_LOGGING_CATEGORY(lcDBus, "quotix.dbus", QtFatalMsg)
Q_LOGGING_CATEGORY(lcTray, "quotix.tray", QtFatalMsg)
