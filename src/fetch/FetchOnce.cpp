#include "fetch/FetchOnce.h"

#include "core/Accounts.h"
#include "core/Console.h"
#include "core/FetchResultWire.h"
#include "core/Preferences.h"
#include "fetch/DemoSetup.h"
#include "presentation/Translations.h"

#include <QCoreApplication>
#include <QSettings>
#include <QStringList>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

struct FetchOnceArguments
{
    QString id;
    std::optional<int> demoAnswered;
    QString settingsFile;
};

std::optional<FetchOnceArguments> parse(const QStringList &words, QString *error)
{
    FetchOnceArguments arguments;
    if (words.size() < 3 || words.at(2).isEmpty() || words.at(2).startsWith(u'-')) {
        *error = u"expected a provider id"_s;
        return std::nullopt;
    }
    arguments.id = words.at(2);
    for (qsizetype i = 3; i < words.size(); i += 2) {
        const QString &option = words.at(i);
        if (i + 1 >= words.size()) {
            *error = u"%1 needs a value"_s.arg(option);
            return std::nullopt;
        }
        const QString &value = words.at(i + 1);
        if (option == "--demo"_L1) {
            bool ok = false;
            arguments.demoAnswered = value.toInt(&ok);
            if (!ok || *arguments.demoAnswered < 0) {
                *error = u"--demo takes a count"_s;
                return std::nullopt;
            }
        } else if (option == "--settings"_L1) {
            arguments.settingsFile = value;
        } else {
            *error = u"unknown option \"%1\""_s.arg(option);
            return std::nullopt;
        }
    }
    return arguments;
}

void writeResult(const FetchResult &result)
{
    const QByteArray line = FetchResultWire::encode(result);
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fflush(stdout);
}

} // namespace

int runFetchOnce(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"quotix"_s);
    installTranslations(); // the hints under an error are read by people

    QString error;
    const std::optional<FetchOnceArguments> arguments = parse(QCoreApplication::arguments(), &error);
    if (!arguments) {
        std::fprintf(stderr, "quotix-status %s: %s\n", FetchOnceWord, qUtf8Printable(error));
        return 2;
    }
    std::optional<ProviderSetup> setup = arguments->demoAnswered
        ? makeDemoProviderSetup(&error, *arguments->demoAnswered)
        : makeProviderSetup(&error, false); // the tray said which overrides are in effect
    if (!setup) {
        writeResult(OtherError{error});
        return 0;
    }
    QString settingsProblem;
    const std::unique_ptr<QSettings> settings = arguments->settingsFile.isEmpty()
        ? openUserSettings(&settingsProblem)
        : openSettingsFile(arguments->settingsFile);
    const ProviderList providers = withAccounts(setup->providers, setup->accounts(accountsFromSettings(*settings)));
    std::shared_ptr<UsageProvider> provider;
    for (const auto &candidate : providers) {
        if (candidate->id() == arguments->id)
            provider = candidate;
    }
    if (!provider) {
        writeResult(OtherError{
            QCoreApplication::translate("Common", "No provider or account named \"%1\".").arg(arguments->id)});
        return 0;
    }
    FetchJob *job = provider->fetchUsage(&app);
    QObject::connect(job, &FetchJob::finished, &app, [](const FetchResult &result) {
        writeResult(result);
        QCoreApplication::exit(0);
    });
    const int status = QCoreApplication::exec();
    Console::endWithoutTeardown(status);
    return status;
}
