// Whether the providers' fetches overlap. The substitute service holds each
// answer for D; a run should then take about D, not 2 × D. And with one
// provider's connection dropped every time, the other's state should be
// published at about D, not after the dropped one's retries. The providers
// are the tray's: each attempt runs in a quotix-status child.
//
// Prints: concurrency_run_ms, concurrency_other_published_ms,
// concurrency_dropped_run_ms (each: median min max ms).
#include "BenchSupport.h"
#include "core/UsageManager.h"
#include "usage-service/ScriptedService.h"
#include "providers/ProcessProvider.h"
#include "providers/ProviderRegistry.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

constexpr auto Delay = 400ms;

struct Measured
{
    double runMs = 0;
    double claudePublishedMs = 0;
};

// One refresh run with the production timing (3 s retry pauses).
Measured measureRun(UsageManager &manager)
{
    Measured measured;
    QElapsedTimer clock;
    QEventLoop loop;
    const std::optional<QDateTime> claudeBefore = manager.providerStates().value(u"claude"_s).lastUpdated;
    const auto published = QObject::connect(&manager, &UsageManager::providerStatesChanged, &loop, [&] {
        const std::optional<QDateTime> now = manager.providerStates().value(u"claude"_s).lastUpdated;
        if (measured.claudePublishedMs == 0 && now != claudeBefore)
            measured.claudePublishedMs = double(clock.nsecsElapsed()) / 1e6;
    });
    const auto done = QObject::connect(&manager, &UsageManager::isLoadingChanged, &loop, [&](bool loading) {
        if (!loading) {
            measured.runMs = double(clock.nsecsElapsed()) / 1e6;
            loop.quit();
        }
    });
    clock.start();
    manager.refresh();
    loop.exec();
    QObject::disconnect(published);
    QObject::disconnect(done);
    return measured;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int repeats = argc > 1 ? QByteArray(argv[1]).toInt() : 10;
    const int droppedRepeats = argc > 2 ? QByteArray(argv[2]).toInt() : 5;

    ScriptedService service;
    service.setKeepsRequests(false);
    if (!service.listen())
        return 1;
    // The children read their logins from here and ask the service above.
    QTemporaryDir home;
    const auto write = [&home](const QString &name, const QByteArray &content) {
        QFile file(home.filePath(name));
        return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
    };
    if (!home.isValid() || !write(u".credentials.json"_s, R"({"claudeAiOauth":{"accessToken":"bench"}})")
        || !write(u"auth.json"_s, R"({"tokens":{"access_token":"bench"}})"))
        return 1;
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(u"config"_s)));
    qputenv("CLAUDE_CONFIG_DIR", QFile::encodeName(home.path()));
    qputenv("CODEX_HOME", QFile::encodeName(home.path()));
    qputenv("QUOTIX_CLAUDE_USAGE_URL", service.url(UsageService::ClaudePath).toEncoded());
    qputenv("QUOTIX_CODEX_USAGE_URL", service.url(UsageService::CodexPath).toEncoded());
    QString error;
    const std::optional<ProviderSetup> setup = makeProcessProviderSetup(false, defaultFetchProgram(), &error);
    if (!setup)
        return 1;
    const ProviderList providers = setup->providers.mid(0, 2); // Claude and Codex
    bench::SilentNotifications notifications;
    UsageManager manager(providers, &notifications);

    const QDateTime now = QDateTime::currentDateTimeUtc();
    const auto demoDocument
        = [&now](const QString &id) { return findProviderDescriptor(id)->demo.first().body(now, 0); };
    ServiceAnswer claude{200, demoDocument(u"claude"_s), {}, Delay};
    ServiceAnswer codex{200, demoDocument(u"codex"_s), {}, Delay};
    service.setDefaultAnswer(UsageService::ClaudePath, claude);
    service.setDefaultAnswer(UsageService::CodexPath, codex);

    measureRun(manager); // connections, TLS-free sessions and caches warmed
    QList<double> runs;
    for (int i = 0; i < repeats; ++i)
        runs.append(measureRun(manager).runMs);
    bench::report("concurrency_run_ms", runs, "ms");

    ScriptedAnswer dropped;
    dropped.fault = ScriptedAnswer::Fault::DropConnection;
    service.setDefaultAnswer(UsageService::CodexPath, dropped);
    QList<double> published;
    QList<double> droppedRuns;
    for (int i = 0; i < droppedRepeats; ++i) {
        const Measured measured = measureRun(manager);
        published.append(measured.claudePublishedMs);
        droppedRuns.append(measured.runMs);
    }
    bench::report("concurrency_other_published_ms", published, "ms");
    bench::report("concurrency_dropped_run_ms", droppedRuns, "ms");
    return 0;
}
