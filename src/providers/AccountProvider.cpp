#include "providers/AccountProvider.h"

AccountProvider::AccountProvider(std::shared_ptr<UsageProvider> provider, QString id, QString label)
    : m_provider(std::move(provider))
    , m_id(std::move(id))
    , m_label(std::move(label))
{}

QString AccountProvider::name() const
{
    return accountName(m_provider->name(), m_label);
}

QString AccountProvider::alertName() const
{
    return accountAlertName(m_provider->name(), m_label);
}
