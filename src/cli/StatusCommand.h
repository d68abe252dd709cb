#pragma once

#include "presentation/StatusFormat.h"

#include "core/UsageManager.h"

#include <chrono>
#include <functional>

class NotificationManager;

// The coordinator's state as `quotix status` shows it.
StatusSnapshot takeStatusSnapshot(const UsageManager &manager);

struct StatusRunTiming
{
    // Four attempts that each end on the 10 s idle limit, with three 3 s pauses
    // between them, take 49 s: an unreachable service still ends in its real
    // error. Answers that trickle up to the 30 s total limit on every attempt
    // (129 s in all) are cut here, since nobody waits that long at a prompt.
    std::chrono::milliseconds deadline{60'000};
    std::chrono::milliseconds retryPause{UsageManager::Timing{}.retryPause};
};

// Exactly one refresh run, no timer. Returns when the run has ended or at the
// deadline; a provider still being fetched then shows an error saying so.
// notifications must outlive the call.
StatusSnapshot fetchStatusOnce(const ProviderList &providers, NotificationManager *notifications,
                               StatusRunTiming timing = {});

// The tray's record since the recent rate's span before now, or nothing when
// the file is missing or unreadable. Never changes the file or waits for its writer.
QList<HistorySample> recentHistory(const QString &path, const QDateTime &now);

// quotix status [--json | --format FORMAT] [--remaining] [--follow] [--demo]
int runStatusCommand(int argc, char **argv);
