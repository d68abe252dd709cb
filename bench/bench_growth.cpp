// Resident memory growth of the real manager, providers, substitute service
// and panel over 1,000 refresh runs and 100 openings of the panel, measured
// after a warm-up of 100 runs and 10 openings. Run it on the display the
// panel would use (xcb under Xvfb in bench.sh).
// Prints growth_kib and, after malloc_trim(), growth_trimmed_kib (one sample each).
#include "BenchSupport.h"
#include "core/LaunchAtLogin.h"
#include "core/Preferences.h"
#include "core/UsageManager.h"
#include "demo/DemoData.h"
#include "fetch/DemoSetup.h"
#include "usage-service/ScriptedService.h"
#include "fetch/ClaudeProvider.h"
#include "providers/CodexCredentialService.h"
#include "fetch/CodexProvider.h"
#include "providers/KeychainService.h"
#include "ui/PanelWindow.h"

#include <QApplication>
#include <QEventLoop>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <malloc.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

class NoLoginItems : public LoginItemService
{
public:
    bool isEnabled() const override { return false; }
    std::optional<QString> registerItem() override { return std::nullopt; }
    std::optional<QString> unregisterItem() override { return std::nullopt; }
};

void spin(std::chrono::milliseconds time)
{
    QEventLoop loop;
    QTimer::singleShot(time, &loop, &QEventLoop::quit);
    loop.exec();
}

void refreshOnce(UsageManager &manager)
{
    QEventLoop loop;
    const auto done = QObject::connect(&manager, &UsageManager::refreshFinished, &loop, &QEventLoop::quit);
    manager.refresh();
    loop.exec();
    QObject::disconnect(done);
}

void openAndClose(PanelWindow &panel)
{
    panel.showAnchored(QRect(), QPoint(200, 40));
    spin(30ms); // shown and painted
    panel.hide();
    spin(5ms);
}

// runs refresh runs, opening the panel after every (runs / openings)-th.
void exercise(UsageManager &manager, PanelWindow &panel, int runs, int openings)
{
    const int every = runs / openings;
    for (int i = 1; i <= runs; ++i) {
        refreshOnce(manager);
        if (i % every == 0)
            openAndClose(panel);
    }
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTemporaryDir folder;
    QSettings settings(folder.filePath(u"quotix.conf"_s), QSettings::IniFormat);
    Preferences preferences(&settings);
    NoLoginItems loginItems;
    LaunchAtLogin launchAtLogin(&loginItems);

    ScriptedService service;
    service.setKeepsRequests(false);
    DemoData::serveDemoDocuments(service);
    if (!service.listen())
        return 1;
    const auto keychain = std::make_shared<bench::BenchKeychain>();
    const ProviderList providers{
        std::make_shared<ClaudeProvider>(KeychainService(keychain), service.url(UsageService::ClaudePath)),
        std::make_shared<CodexProvider>(CodexCredentialService(keychain, u"/nonexistent/auth.json"_s),
                                        service.url(UsageService::CodexPath)),
    };
    bench::SilentNotifications notifications;
    UsageManager manager(providers, &notifications);
    PanelWindow panel(&manager, &preferences, &launchAtLogin);

    exercise(manager, panel, 100, 10);
    const qint64 warm = bench::residentBytes();
    malloc_trim(0);
    const qint64 warmTrimmed = bench::residentBytes();

    exercise(manager, panel, 1000, 100);
    const qint64 end = bench::residentBytes();
    malloc_trim(0);
    const qint64 endTrimmed = bench::residentBytes();

    const double growth = double(end - warm) / 1024;
    const double trimmed = double(endTrimmed - warmTrimmed) / 1024;
    std::printf("growth_kib %.0f %.0f %.0f KiB\n", growth, growth, growth);
    std::printf("growth_trimmed_kib %.0f %.0f %.0f KiB\n", trimmed, trimmed, trimmed);
    std::printf("growth_end_rss_kib %.0f %.0f %.0f KiB\n", double(end) / 1024, double(end) / 1024, double(end) / 1024);
    return 0;
}
