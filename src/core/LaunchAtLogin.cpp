#include "core/LaunchAtLogin.h"

#include "core/Console.h"

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

    if (m_enabled) {
        if (const auto failure = m_service->registerItem())
            Console::out(u"Failed to enable launch at login: "_s + *failure + u'\n');
    } else {
        if (const auto failure = m_service->unregisterItem())
            Console::out(u"Failed to disable launch at login: "_s + *failure + u'\n');
    }
}
