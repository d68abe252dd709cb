#pragma once

#include "core/Accounts.h"
#include "core/UsageProvider.h"

#include <memory>

// An extra account of a provider: the provider itself, reading the login of
// the account's folder, under the account's own id and name, so its state,
// alerts, rows and fields are its own.
class AccountProvider : public UsageProvider
{
public:
    AccountProvider(std::shared_ptr<UsageProvider> provider, QString id, QString label);

    QString id() const override { return m_id; }
    QString name() const override;
    QString alertName() const override;
    bool isAvailable() const override { return m_provider->isAvailable(); }
    FetchJob *fetchUsage(QObject *parent) override { return m_provider->fetchUsage(parent); }

private:
    std::shared_ptr<UsageProvider> m_provider;
    QString m_id;
    QString m_label;
};
