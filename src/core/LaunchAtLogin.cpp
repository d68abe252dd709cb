#include "core/LaunchAtLogin.h"

#include <QTextStream>

using namespace Qt::StringLiterals;

LaunchAtLogin::LaunchAtLogin(LoginItemService *service, QObject *parent)
    : QObject(parent)
    , m_service(service)
    , m_enabled(service->isEnabled())
{
}

void LaunchAtLogin::setEnabled(bool enabled)
{
    const bool changed = m_enabled != enabled;
    m_enabled = enabled;
    if (changed)
        Q_EMIT enabledChanged(m_enabled);

    QTextStream out(stdout);
    if (m_enabled) {
        if (const auto failure = m_service->registerItem())
            out << u"Failed to enable launch at login: "_s << *failure << Qt::endl;
    } else {
        if (const auto failure = m_service->unregisterItem())
            out << u"Failed to disable launch at login: "_s << *failure << Qt::endl;
    }
}
