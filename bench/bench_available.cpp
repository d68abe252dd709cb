// The main-thread cost of one read of availableProviders: both providers'
// credential lookups as on Linux, from real credential files in a temporary
// home. Prints available_us (median min max) and available_p99_us.
#include "BenchSupport.h"
#include "core/UsageManager.h"
#include "fetch/ClaudeProvider.h"
#include "providers/CodexCredentialService.h"
#include "fetch/CodexProvider.h"
#include "providers/KeychainService.h"
#include "providers/PlatformKeychain.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

bool writeFile(const QString &path, const QByteArray &contents)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return file.write(contents) == contents.size();
}

} // namespace

int main(int argc, char **argv)
{
    const int samples = argc > 1 ? QByteArray(argv[1]).toInt() : 10000;
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    // Before anything reads the environment: the providers look here as they would in ~.
    qputenv("HOME", QFile::encodeName(home.path()));
    qunsetenv("CLAUDE_CONFIG_DIR");
    qunsetenv("CODEX_HOME");
    QCoreApplication app(argc, argv);

    // Documents of the shape the command-line tools write.
    const bool written
        = writeFile(
              home.filePath(u".claude/.credentials.json"_s),
              R"({"claudeAiOauth":{"accessToken":"sk-ant-oat01-bench","refreshToken":"sk-ant-ort01-bench",)"
              R"("expiresAt":1893456000000,"scopes":["user:inference","user:profile"],"subscriptionType":"max"}})"_ba)
        && writeFile(home.filePath(u".codex/auth.json"_s),
                     R"({"auth_mode":"chatgpt","OPENAI_API_KEY":null,"tokens":{"id_token":"eyJ.bench.id",)"
                     R"("access_token":"eyJ.bench.access","refresh_token":"rt-bench","account_id":"acc-bench"},)"
                     R"("last_refresh":"2025-06-15T12:00:00Z"})"_ba);
    if (!written)
        return 1;

    std::shared_ptr<const CredentialStore> keychain = createPlatformCredentialStore();
    const ProviderList providers{
        std::make_shared<ClaudeProvider>(KeychainService(keychain)),
        std::make_shared<CodexProvider>(CodexCredentialService(keychain, codexAuthFilePath())),
    };
    bench::SilentNotifications notifications;
    UsageManager manager(providers, &notifications);
    if (manager.availableProviders().size() != 2) {
        std::fputs("bench_available: the credentials were not found\n", stderr);
        return 1;
    }

    QList<double> micros;
    micros.reserve(samples);
    QElapsedTimer clock;
    for (int i = 0; i < samples; ++i) {
        clock.start();
        const ProviderList available = manager.availableProviders();
        micros.append(double(clock.nsecsElapsed()) / 1e3);
        if (available.size() != 2)
            return 1;
    }
    bench::report("available_us", micros, "us");
    const double p99 = bench::percentile(micros, 0.99);
    std::printf("available_p99_us %.3f %.3f %.3f us\n", p99, p99, p99);
    return 0;
}
