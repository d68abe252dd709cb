#pragma once

#include "presentation/TitleLayout.h"
#include "support/ScriptedProvider.h"

#include <memory>

// A provider with the identity the title reads.
struct TitleTestProvider : ScriptedProvider
{
    TitleTestProvider(QString id, QString name, QString icon, std::optional<QString> iconName)
        : ScriptedProvider(std::move(id), std::move(name))
        , m_icon(std::move(icon))
        , m_iconName(std::move(iconName))
    {}
    QString icon() const override { return m_icon; }
    std::optional<QString> iconName() const override { return m_iconName; }
    QString m_icon;
    std::optional<QString> m_iconName;
};

inline const std::shared_ptr<UsageProvider> claude = std::make_shared<TitleTestProvider>(
    QStringLiteral("claude"), QStringLiteral("Claude"), QStringLiteral("\U0001F916"), QStringLiteral("claude-icon"));
inline const std::shared_ptr<UsageProvider> codex = std::make_shared<TitleTestProvider>(
    QStringLiteral("codex"), QStringLiteral("Codex"), QStringLiteral("\u26A1"), QStringLiteral("codex-icon"));

inline ProviderState stateWith(const std::shared_ptr<UsageProvider> &provider,
                               std::optional<ProviderUsageResponse> usage, std::optional<QString> error = {})
{
    return ProviderState{provider, std::move(usage), std::nullopt, std::move(error)};
}

// Claude and, if given, Codex with one weekly limit each.
inline TitleLayout weeklyTitle(double first, std::optional<double> second = {})
{
    QHash<QString, ProviderState> states{{claude->id(), stateWith(claude, usageOf({{"Weekly (7d)", first}}))}};
    if (second)
        states.insert(codex->id(), stateWith(codex, usageOf({{"Weekly", *second}})));
    return layoutTitle({claude, codex}, states, false, DisplayMode::Weekly);
}
