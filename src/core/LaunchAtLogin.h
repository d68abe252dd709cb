#pragma once

#include "core/os/LoginItemService.h"

#include <QObject>
#include <QString>

#include <optional>

// Mirrors one switch onto the login-item registration. The registration is
// read once, at construction; afterwards the switch shows what was asked for.
class LaunchAtLogin : public QObject
{
    Q_OBJECT
public:
    // service must outlive this object. Failure lines go to standard output.
    explicit LaunchAtLogin(LoginItemService *service, QObject *parent = nullptr);

    bool isEnabled() const { return m_enabled; }
    // Registers or unregisters on every call, also when the value is unchanged.
    void setEnabled(bool enabled);

Q_SIGNALS:
    void enabledChanged(bool enabled);

private:
    LoginItemService *m_service;
    bool m_enabled;
};
