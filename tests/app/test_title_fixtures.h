#pragma once

#include "UsageManager.h"
#include "UsageProvider.h"

#include <QHash>

#include <memory>

// A provider with the identity the title reads; never fetched.
class TitleTestProvider : public UsageProvider
{
public:
    TitleTestProvider(QString id, QString name, QString icon, std::optional<QString> iconName)
        : m_id(std::move(id))
        , m_name(std::move(name))
        , m_icon(std::move(icon))
        , m_iconName(std::move(iconName))
    {
    }

    QString id() const override { return m_id; }
    QString name() const override { return m_name; }
    QString icon() const override { return m_icon; }
    std::optional<QString> iconName() const override { return m_iconName; }
    NamedColor accentColor() const override { return NamedColor::Orange; }
    bool isAvailable() const override { return true; }
    FetchJob *fetchUsage(QObject *) override { return nullptr; }

private:
    QString m_id;
    QString m_name;
    QString m_icon;
    std::optional<QString> m_iconName;
};

inline std::shared_ptr<UsageProvider> claudeLike()
{
    return std::make_shared<TitleTestProvider>(QStringLiteral("claude"), QStringLiteral("Claude"),
                                               QStringLiteral("\U0001F916"), QStringLiteral("claude-icon"));
}

inline std::shared_ptr<UsageProvider> codexLike()
{
    return std::make_shared<TitleTestProvider>(QStringLiteral("codex"), QStringLiteral("Codex"),
                                               QStringLiteral("\u26A1"), QStringLiteral("codex-icon"));
}

inline ProviderUsageResponse limits(std::initializer_list<std::pair<const char *, double>> list)
{
    ProviderUsageResponse response;
    for (const auto &[name, utilization] : list)
        response.limits.append(UsageLimit{QString::fromUtf8(name), utilization, std::nullopt});
    return response;
}

inline ProviderState stateWith(const std::shared_ptr<UsageProvider> &provider,
                               std::optional<ProviderUsageResponse> usage, std::optional<QString> error = {})
{
    return ProviderState{provider, std::move(usage), std::nullopt, std::move(error), false};
}
