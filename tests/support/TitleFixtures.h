#pragma once

#include "presentation/TitleLayout.h"
#include "support/ProviderLooks.h"
#include "support/ScriptedProvider.h"

#include <memory>

inline const std::shared_ptr<UsageProvider> claude
    = std::make_shared<ScriptedProvider>(QStringLiteral("claude"), QStringLiteral("Claude"));
inline const std::shared_ptr<UsageProvider> codex
    = std::make_shared<ScriptedProvider>(QStringLiteral("codex"), QStringLiteral("Codex"));

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
