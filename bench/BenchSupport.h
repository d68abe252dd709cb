#pragma once

#include "core/os/CredentialStore.h"
#include "core/os/NotificationManager.h"

#include <QFile>
#include <QList>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

// Each benchmark prints lines "figure median min max unit" for bench.sh.
namespace bench {

inline double percentile(QList<double> values, double fraction)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const qsizetype index = std::min<qsizetype>(values.size() - 1, qsizetype(fraction * double(values.size())));
    return values.at(index);
}

inline void report(const char *figure, const QList<double> &values, const char *unit)
{
    const auto [low, high] = std::minmax_element(values.cbegin(), values.cend());
    std::printf("%s %.3f %.3f %.3f %s\n", figure, percentile(values, 0.5), *low, *high, unit);
    std::fflush(stdout);
}

inline qint64 residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toLongLong() * sysconf(_SC_PAGESIZE) : -1;
}

// Test tokens for the providers talking to the substitute service.
class BenchKeychain : public CredentialStore
{
public:
    std::optional<QByteArray> find(const QString &item) const override
    {
        if (item == QLatin1StringView("Claude Code-credentials"))
            return QByteArrayLiteral(R"({"claudeAiOauth":{"accessToken":"bench-claude-token"}})");
        if (item == QLatin1StringView("Codex Auth"))
            return QByteArrayLiteral("bench-codex-token\n");
        return std::nullopt;
    }
};

class SilentNotifications : public NotificationManager
{
public:
    void sendNotification(const QString &, const QString &) override {}
};

} // namespace bench
