#pragma once

#include "core/UsageManager.h"
#include "support/ScriptedProvider.h"

#include <QSignalSpy>

#include <chrono>

// Claude and Codex, or Claude alone, under a manager that records its notifications.
struct ManagerFixture
{
    explicit ManagerFixture(bool withCodex = true,
                            UsageManager::Timing timing = UsageManager::Timing{std::chrono::hours(1),
                                                                               std::chrono::milliseconds(20)})
        : manager(withCodex ? ProviderList{first, second} : ProviderList{first}, &notifications, timing)
    {}
    std::shared_ptr<ScriptedProvider> first = std::make_shared<ScriptedProvider>(QStringLiteral("claude"),
                                                                                 QStringLiteral("Claude"));
    std::shared_ptr<ScriptedProvider> second = std::make_shared<ScriptedProvider>(QStringLiteral("codex"),
                                                                                  QStringLiteral("Codex"));
    RecordingNotifications notifications;
    UsageManager manager;

    // Runs one refresh to its end.
    bool refreshAndWait()
    {
        QSignalSpy finished(&manager, &UsageManager::refreshFinished);
        manager.refresh();
        return finished.wait(5000);
    }
    const ProviderState &state(const QString &id) const { return manager.providerStates().find(id).value(); }
};
