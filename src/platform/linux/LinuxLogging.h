#pragma once

#include <QLoggingCategory>

// Warnings always; info and debug with e.g. QT_LOGGING_RULES="quotix.dbus=true;quotix.tray=true".
Q_DECLARE_LOGGING_CATEGORY(lcDBus)
Q_DECLARE_LOGGING_CATEGORY(lcTray)
