#pragma once

#include "core/os/LoginItemService.h"

#include "core/TranslatableText.h"

#include <QObject>
#include <QString>

#include <optional>

// Mirrors one switch onto the login-item registration. The registration is
// read at construction and again after a switch that failed, so the switch
// never shows what the system did not do.
class LaunchAtLogin : public QObject
{
    Q_OBJECT
public:
    // service must outlive this object. Failure lines go to standard output.
    explicit LaunchAtLogin(LoginItemService *service, QObject *parent = nullptr);

    bool isEnabled() const { return m_enabled; }
    // Registers or unregisters on every call, also when the value is unchanged.
    void setEnabled(bool enabled);

    static constexpr TranslatableText FailureTitle{"Tray", QT_TRANSLATE_NOOP("Tray", "Launch at Login")};

Q_SIGNALS:
    void enabledChanged(bool enabled);
    // A switch failed; message says which and why, for a notification.
    void failed(const QString &message);

private:
    LoginItemService *m_service;
    bool m_enabled;
};
