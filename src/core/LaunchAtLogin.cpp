#include "core/LaunchAtLogin.h"

#include "core/Console.h"

#include <QCoreApplication>

using namespace Qt::StringLiterals;

LaunchAtLogin::LaunchAtLogin(LoginItemService *service, QObject *parent)
    : QObject(parent)
    , m_service(service)
    , m_enabled(service->isEnabled())
{}

void LaunchAtLogin::setEnabled(bool enabled)
{
    const bool changed = m_enabled != enabled;
    m_enabled = enabled;
    if (changed)
        Q_EMIT enabledChanged(m_enabled);

    const std::optional<QString> failure = m_enabled ? m_service->registerItem() : m_service->unregisterItem();
    if (!failure)
        return;
    const QString message = (m_enabled ? QCoreApplication::translate("Tray", "Failed to enable launch at login: %1")
                                       : QCoreApplication::translate("Tray", "Failed to disable launch at login: %1"))
                                .arg(*failure);
    Console::out(message + u'\n');
    // The switch shows what the system holds now, and the user hears why.
    const bool actual = m_service->isEnabled();
    if (actual != m_enabled) {
        m_enabled = actual;
        Q_EMIT enabledChanged(m_enabled);
    }
    Q_EMIT failed(message);
}
